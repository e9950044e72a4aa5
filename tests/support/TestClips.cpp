#include "TestClips.h"

#include <QtGlobal>

namespace test_support {

QStringList TestPictureInput(const QString& size, int rate, double seconds) {
    QString source = QStringLiteral("testsrc=size=%1:rate=%2").arg(size).arg(rate);
    if (seconds > 0) source += QStringLiteral(":duration=%1").arg(seconds);
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source};
}

QStringList SineToneInput(int sampleRate, double seconds) {
    QString source = QStringLiteral("sine=frequency=440:sample_rate=%1").arg(sampleRate);
    if (seconds > 0) source += QStringLiteral(":duration=%1").arg(seconds);
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source};
}

ProgramResult RunFfmpeg(const QStringList& arguments, const QString& outputPath,
                        const QString& ffmpeg) {
    QStringList all{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                    QStringLiteral("-y")};
    all << arguments << outputPath;
    return RunProgram(ffmpeg, all);
}

QString MakeMpeg4PcmClip(const QString& path, int seconds, int width, int height, int sampleRate) {
    QStringList arguments = TestPictureInput(QStringLiteral("%1x%2").arg(width).arg(height), 25);
    arguments << SineToneInput(sampleRate);
    arguments << QStringLiteral("-t") << QString::number(seconds) << QStringLiteral("-c:v")
              << QStringLiteral("mpeg4") << QStringLiteral("-q:v") << QStringLiteral("5")
              << QStringLiteral("-c:a") << QStringLiteral("pcm_s16le");
    const ProgramResult result = RunFfmpeg(arguments, path);
    if (result.ExitCode != 0) {
        qWarning("ffmpeg failed: %s", result.Err.constData());
        return {};
    }
    return path;
}

}  // namespace test_support
