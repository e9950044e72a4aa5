#include "StepsTestSupport.h"

#include <QFile>
#include <algorithm>

#include "TestClips.h"

namespace steps_test {

QString MakeClip(const QString& outputPath, const QStringList& arguments) {
    const test_support::ProgramResult result = test_support::RunFfmpeg(arguments, outputPath);
    if (result.ExitCode != 0) {
        qWarning("ffmpeg failed: %s", result.Err.constData());
        return {};
    }
    return outputPath;
}

QString MakeSmallVideo(const QString& outputPath, int width, int height) {
    QStringList arguments =
        test_support::TestPictureInput(QStringLiteral("%1x%2").arg(width).arg(height), 10);
    arguments << test_support::SineToneInput(8000);
    arguments << QStringLiteral("-t") << QStringLiteral("1") << QStringLiteral("-c:v")
              << QStringLiteral("mpeg4");
    return MakeClip(outputPath, arguments);
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

}  // namespace steps_test
