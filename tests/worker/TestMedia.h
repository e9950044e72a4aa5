// Small source clips made for the tests by Debian's ffmpeg program, and
// read-backs of outputs through ffprobe: an independent reader, so a test never
// checks the engine's output with the engine's own code.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "RunProgram.h"
#include "TestClips.h"

namespace testmedia {

using ProcessResult = test_support::ProgramResult;

inline ProcessResult Run(const QString& program, const QStringList& arguments,
                         int timeoutMs = 120000) {
    return test_support::RunProgram(program, arguments, std::nullopt, timeoutMs);
}

// A clip of testsrc pictures (and a sine tone unless audioCodec is empty) in
// the container the path's extension names. Returns false when ffmpeg failed.
inline bool MakeClip(const QString& path, double seconds, const QString& size = "160x120",
                     int rate = 25, const QString& videoCodec = "mpeg1video",
                     const QString& audioCodec = "mp2", int sampleRate = 22050) {
    QStringList args;
    if (!videoCodec.isEmpty()) args << test_support::TestPictureInput(size, rate, seconds);
    if (!audioCodec.isEmpty()) args << test_support::SineToneInput(sampleRate, seconds);
    if (!videoCodec.isEmpty()) args << "-c:v" << videoCodec;
    if (!audioCodec.isEmpty()) args << "-c:a" << audioCodec;
    return test_support::RunFfmpeg(args, path).ExitCode == 0;
}

// ffprobe's view of a file: format and streams as JSON; empty when unreadable.
inline QJsonObject Probe(const QString& path) {
    const ProcessResult result =
        Run("ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "json", path});
    if (result.ExitCode != 0) return {};
    return QJsonDocument::fromJson(result.Out).object();
}

inline QJsonObject Stream(const QJsonObject& probe, int index) {
    return probe.value("streams").toArray().at(index).toObject();
}

inline double DurationOf(const QJsonObject& probe) {
    return probe.value("format").toObject().value("duration").toString().toDouble();
}

// True when ffmpeg decodes the whole file without a single complaint.
inline bool DecodesCleanly(const QString& path) {
    const ProcessResult result = Run("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
    return result.ExitCode == 0 && result.Err.trimmed().isEmpty();
}

}  // namespace testmedia
