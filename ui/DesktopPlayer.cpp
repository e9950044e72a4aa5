#include "DesktopPlayer.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace {

// xdg-mime is a shell script that reads a few files; it answers at once.
constexpr int kQueryMilliseconds = 5000;

// What xdg-mime prints for the arguments, trimmed; empty when it cannot be
// run or fails.
QString AskXdgMime(const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (program.isEmpty()) return {};
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(program, arguments);
    if (!query.waitForFinished(kQueryMilliseconds)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

}  // namespace

QString DefaultApplicationFor(const QString& mimeType) {
    if (mimeType.isEmpty()) return {};
    return AskXdgMime({QStringLiteral("query"), QStringLiteral("default"), mimeType});
}

bool OpensWithThisProgram(const QString& path) {
    // The type as the desktop's opener finds it ("video/x-msvideo"), which
    // may be an older name than the one Qt knows ("video/vnd.avi").
    QString type = AskXdgMime({QStringLiteral("query"), QStringLiteral("filetype"), path});
    if (type.isEmpty()) type = QMimeDatabase().mimeTypeForFile(path).name();
    return DefaultApplicationFor(type) == QLatin1String(kOwnDesktopEntry);
}
