// Test clips made with the ffmpeg program, conversions through TTranscoder and
// outputs read back with ffprobe and ffmpeg.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ConversionParameters.h"
#include "Transcoder.h"

namespace testmedia {

struct ProcessResult {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

ProcessResult Run(const QString& program, const QStringList& arguments);

// The folder of this test run, removed at its end.
QString WorkFolder();
// A fresh empty folder inside it.
QString NewFolder(const QString& name);

// Makes (once per run) a clip with the ffmpeg program: the arguments go
// between "-y" and the output name.
QString MakeClip(const QString& fileName, const QStringList& arguments);

// Records the percentages; asks to stop once StopAtPercent is reached.
class RecordingObserver : public TTranscodeObserver {
public:
    void FilePercent(int32_t percent) override { Percents.push_back(percent); }
    void FileRestarted() override { ++Restarts; }
    bool IsStopRequested() const override {
        return StopAtPercent >= 0 && !Percents.empty() && Percents.back() >= StopAtPercent;
    }
    std::vector<int32_t> Percents;
    int32_t StopAtPercent = -1;
    int Restarts = 0;  // passes after the first (FileRestarted)
};

// Converts; the TEngineError's message, or nothing when it succeeded.
std::optional<std::string> Convert(const QString& source, const QString& output,
                                   const ConversionParameters& parameters = {},
                                   RecordingObserver* observer = nullptr,
                                   const ClipRange& range = {});

// ffprobe's streams and format of a file.
QJsonObject Probe(const QString& path);
QJsonObject StreamOf(const QJsonObject& probe, int index);
int StreamCount(const QJsonObject& probe);

struct PacketInfo {
    double Pts = 0;
    double Duration = 0;
    int Size = 0;
    bool Key = false;
};
std::vector<PacketInfo> Packets(const QString& path, int streamIndex);

// The decoded frames of the first video stream, one checksum each.
QStringList FrameChecksums(const QString& path);
int DistinctNeighbours(const QStringList& checksums);

// What "ffmpeg -v error -i path -f null -" prints: nothing for a clean file.
QString DecodeErrors(const QString& path);

// The top-level boxes of an ISO media file, in file order.
QStringList TopLevelBoxes(const QString& path);

// The end of a stream: its last packet's time stamp plus duration, seconds.
double StreamEnd(const QString& path, int streamIndex);

// Loudest sample level in dB of the sound between from and to seconds.
double MaxVolume(const QString& path, double from, double to);

// Where a clip made by MakeJoinedMarkedRecordings shows its markers: the
// times at which its picture turns bright, and at which its tone starts, in
// seconds from the output's start.
std::vector<double> FlashTimes(const QString& path);
std::vector<double> ToneTimes(const QString& path);

// Files in a folder, names only.
QStringList FilesIn(const QString& folder);

// Parameters of a real phone: 320x240 MPEG-4 at 14.985 fps, 192 kbit/s.
ConversionParameters Mpeg4Qvga();
// 176x144 H.263 at 25 fps, 122 kbit/s.
ConversionParameters H263Qcif();

}  // namespace testmedia
