#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "EngineError.h"
#include "RunProgram.h"
#include "TestClips.h"

namespace testmedia {

ProcessResult Run(const QString& program, const QStringList& arguments) {
    const test_support::ProgramResult ran = test_support::RunProgram(program, arguments);
    ProcessResult result;
    result.ExitCode = ran.ExitCode;
    result.Out = QString::fromUtf8(ran.Out);
    result.Err = QString::fromUtf8(ran.Err);
    return result;
}

QString WorkFolder() {
    static QTemporaryDir folder(QDir::tempPath() + "/kestovar-transcoder-XXXXXX");
    // KESTOVAR_KEEP_TEST_FILES=1 keeps the clips for a look after the run.
    static const bool keep = [] {
        folder.setAutoRemove(qEnvironmentVariableIsEmpty("KESTOVAR_KEEP_TEST_FILES"));
        return true;
    }();
    (void)keep;
    return folder.path();
}

QString NewFolder(const QString& name) {
    const QString path = WorkFolder() + "/" + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

QString MakeClip(const QString& fileName, const QStringList& arguments) {
    const QString folder = WorkFolder() + "/sources";
    QDir().mkpath(folder);
    const QString path = folder + "/" + fileName;
    if (QFileInfo::exists(path)) return path;
    const test_support::ProgramResult result =
        test_support::RunFfmpeg(arguments, path, KESTOVAR_FFMPEG);
    EXPECT_EQ(result.ExitCode, 0) << "ffmpeg " << arguments.join(' ').toStdString() << " "
                                  << path.toStdString() << "\n"
                                  << result.Err.toStdString();
    return path;
}

std::optional<std::string> Convert(const QString& source, const QString& output,
                                   const ConversionParameters& parameters,
                                   RecordingObserver* observer, const ClipRange& range) {
    RecordingObserver local;
    TTranscoder transcoder(parameters, observer ? *observer : local);
    try {
        transcoder.ConvertFile(source.toStdString(), output.toStdString(), range);
    } catch (const TEngineError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

QJsonObject Probe(const QString& path) {
    const ProcessResult result =
        Run(KESTOVAR_FFPROBE,
            {"-v", "error", "-show_format", "-show_streams", "-count_frames", "-of", "json", path});
    return QJsonDocument::fromJson(result.Out.toUtf8()).object();
}

QJsonObject StreamOf(const QJsonObject& probe, int index) {
    for (const QJsonValue& stream : probe["streams"].toArray()) {
        if (stream["index"].toInt() == index) return stream.toObject();
    }
    return {};
}

int StreamCount(const QJsonObject& probe) {
    return probe["streams"].toArray().size();
}

std::vector<PacketInfo> Packets(const QString& path, int streamIndex) {
    const ProcessResult result =
        Run(KESTOVAR_FFPROBE,
            {"-v", "error", "-select_streams", QString::number(streamIndex), "-show_entries",
             "packet=pts_time,duration_time,size,flags", "-of", "json", path});
    std::vector<PacketInfo> packets;
    for (const QJsonValue& p : QJsonDocument::fromJson(result.Out.toUtf8())["packets"].toArray()) {
        packets.push_back({p["pts_time"].toString().toDouble(),
                           p["duration_time"].toString().toDouble(), p["size"].toString().toInt(),
                           p["flags"].toString().startsWith('K')});
    }
    return packets;
}

QStringList FrameChecksums(const QString& path) {
    const ProcessResult result = Run(KESTOVAR_FFMPEG, {"-v", "error", "-nostdin", "-i", path,
                                                       "-map", "0:v:0", "-f", "framemd5", "-"});
    QStringList sums;
    for (const QString& line : result.Out.split('\n')) {
        if (line.startsWith('#') || line.trimmed().isEmpty()) continue;
        sums << line.section(',', -1).trimmed();
    }
    return sums;
}

int DistinctNeighbours(const QStringList& checksums) {
    int distinct = 0;
    for (int i = 0; i < checksums.size(); ++i) {
        if (i == 0 || checksums[i] != checksums[i - 1]) ++distinct;
    }
    return distinct;
}

QString DecodeErrors(const QString& path) {
    const ProcessResult result =
        Run(KESTOVAR_FFMPEG, {"-v", "error", "-nostdin", "-i", path, "-f", "null", "-"});
    return result.Err +
           (result.ExitCode == 0 ? "" : "exit status " + QString::number(result.ExitCode));
}

QStringList TopLevelBoxes(const QString& path) {
    QFile file(path);
    QStringList boxes;
    if (!file.open(QIODevice::ReadOnly)) return boxes;
    const QByteArray data = file.readAll();
    qint64 offset = 0;
    while (offset + 8 <= data.size()) {
        quint64 size = qFromBigEndian<quint32>(data.constData() + offset);
        boxes << QString::fromLatin1(data.mid(offset + 4, 4));
        if (size == 1 && offset + 16 <= data.size()) {
            size = qFromBigEndian<quint64>(data.constData() + offset + 8);
        }
        if (size < 8) break;
        offset += static_cast<qint64>(size);
    }
    return boxes;
}

double StreamEnd(const QString& path, int streamIndex) {
    double end = 0;
    for (const PacketInfo& p : Packets(path, streamIndex)) end = std::max(end, p.Pts + p.Duration);
    return end;
}

double MaxVolume(const QString& path, double from, double to) {
    const ProcessResult result =
        Run(KESTOVAR_FFMPEG,
            {"-nostdin", "-i", path, "-map", "0:a:0", "-af",
             QString("atrim=%1:%2,volumedetect").arg(from).arg(to), "-f", "null", "-"});
    const QRegularExpression pattern("max_volume: (-?[0-9.]+|-inf) dB");
    const QRegularExpressionMatch match = pattern.match(result.Err);
    if (!match.hasMatch()) return -1000;
    return match.captured(1) == "-inf" ? -1000 : match.captured(1).toDouble();
}

namespace {

// The starts of runs: times more than half a second after the previous one.
std::vector<double> Onsets(const std::vector<double>& times) {
    std::vector<double> onsets;
    double previous = -10;
    for (const double time : times) {
        if (time - previous > 0.5) onsets.push_back(time);
        previous = time;
    }
    return onsets;
}

}  // namespace

std::vector<double> FlashTimes(const QString& path) {
    const ProcessResult result =
        Run(KESTOVAR_FFMPEG,
            {"-nostdin", "-v", "error", "-i", path, "-an", "-vf",
             "signalstats,metadata=print:key=lavfi.signalstats.YAVG:file=-", "-f", "null", "-"});
    std::vector<double> bright;
    double time = 0;
    for (const QString& line : result.Out.split('\n')) {
        const qsizetype at = line.indexOf("pts_time:");
        if (at >= 0) time = line.mid(at + 9).section(' ', 0, 0).toDouble();
        const qsizetype value = line.indexOf("YAVG=");
        if (value >= 0 && line.mid(value + 5).toDouble() > 100) bright.push_back(time);
    }
    return Onsets(bright);
}

std::vector<double> ToneTimes(const QString& path) {
    // The sound as 8 kHz mono 16-bit samples, looked at in 5 ms steps.
    QProcess process;
    process.start(KESTOVAR_FFMPEG, {"-nostdin", "-v", "error", "-i", path, "-vn", "-ac", "1", "-ar",
                                    "8000", "-f", "s16le", "-"});
    process.waitForFinished(60000);
    const QByteArray samples = process.readAllStandardOutput();
    const auto* data = reinterpret_cast<const int16_t*>(samples.constData());
    const qsizetype count = samples.size() / 2;
    std::vector<double> loud;
    for (qsizetype i = 0; i < count; i += 40) {
        int peak = 0;
        for (qsizetype j = i; j < std::min(count, i + 40); ++j)
            peak = std::max(peak, std::abs(int{data[j]}));
        if (peak > 3000) loud.push_back(static_cast<double>(i) / 8000);
    }
    return Onsets(loud);
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

ConversionParameters Mpeg4Qvga() {
    ConversionParameters p;
    p.Width = 320;
    p.Height = 240;
    p.FrameRateNumerator = 14985;
    p.FrameRateDenominator = 1000;
    p.VideoBitRate = 192000;
    p.VideoCodecId = AV_CODEC_ID_MPEG4;
    p.AudioBitRate = 12000;
    return p;
}

ConversionParameters H263Qcif() {
    ConversionParameters p;
    p.Width = 176;
    p.Height = 144;
    p.VideoBitRate = 122000;
    p.VideoCodecId = AV_CODEC_ID_H263;
    return p;
}

}  // namespace testmedia
