#include "StepsTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace steps_test {

namespace {

std::unique_ptr<QTemporaryDir>& HomeDir() {
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

}  // namespace

void UseTemporaryHome() {
    HomeDir() = std::make_unique<QTemporaryDir>();
    const QByteArray home = QFile::encodeName(HomeDir()->path());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    QDir(HomeDir()->path()).mkpath(QStringLiteral(".config"));
}

QString HomeFolder() {
    return HomeDir() ? HomeDir()->path() : QString();
}

QString MakeClip(const QString& outputPath, const QStringList& arguments) {
    QProcess ffmpeg;
    QStringList all{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
    all += arguments;
    all += outputPath;
    ffmpeg.start(QStringLiteral("ffmpeg"), all);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
        return {};
    }
    return outputPath;
}

QString MakeSmallVideo(const QString& outputPath, int width, int height) {
    return MakeClip(outputPath,
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("testsrc=size=%1x%2:rate=10").arg(width).arg(height),
                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=8000"), QStringLiteral("-t"),
                     QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("mpeg4")});
}

QString MakeJunkFile(const QString& outputPath, qint64 bytes) {
    QFile file(outputPath);
    if (!file.open(QIODevice::WriteOnly)) return {};
    // Text that no demuxer takes for media.
    QByteArray block(65536, '\0');
    for (int i = 0; i < block.size(); ++i) block[i] = static_cast<char>("junk text\n"[i % 10]);
    qint64 left = bytes;
    while (left > 0) {
        const qint64 chunk = std::min<qint64>(left, block.size());
        if (file.write(block.constData(), chunk) != chunk) return {};
        left -= chunk;
    }
    return outputPath;
}

bool PadFile(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || file.size() > bytes) return false;
    return file.resize(bytes);
}

QString SettingsFilePath() {
    return HomeFolder() + QStringLiteral("/.config/Brenholt/Kestovar3GPVideoConverter.conf");
}

}  // namespace steps_test
