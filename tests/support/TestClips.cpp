#include "TestClips.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
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

bool FfmpegHasEncoder(const QString& encoder, const QString& ffmpeg) {
    // Asked once per program: the list does not change while the tests run.
    static QMutex lock;
    static QHash<QString, QByteArray> lists;
    QMutexLocker locked(&lock);
    if (!lists.contains(ffmpeg)) {
        lists.insert(
            ffmpeg,
            RunProgram(ffmpeg, {QStringLiteral("-hide_banner"), QStringLiteral("-encoders")}).Out);
    }
    // A row is " V....D libx265              libx265 H.265 / HEVC (codec hevc)".
    for (const QByteArray& row : lists.value(ffmpeg).split('\n')) {
        const QList<QByteArray> words = row.simplified().split(' ');
        if (words.size() >= 2 && words[1] == encoder.toUtf8()) return true;
    }
    return false;
}

QString SkipWithoutEncoder(const QString& encoder, const QString& ffmpeg) {
    if (FfmpegHasEncoder(encoder, ffmpeg)) return {};
    return QStringLiteral("the ffmpeg program the test clips are made with (%1) has no %2 encoder")
        .arg(ffmpeg, encoder);
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
