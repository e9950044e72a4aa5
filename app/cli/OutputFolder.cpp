#include "OutputFolder.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool EndsInSeparator(const QString& text) {
    if (text.isEmpty()) return false;
    const QChar last = text.back();
#ifdef Q_OS_WIN
    return last == u'\\' || last == u'/';
#else
    return last == QDir::separator();
#endif
}

}  // namespace

QString DefaultOutputFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\3gpVideo");
#else
    return QDir::homePath() + QStringLiteral("/3gpVideo");
#endif
}

std::optional<OutputFolderProblem> PrepareOutputFolder(QString& folder) {
    if (EndsInSeparator(folder)) folder.chop(1);
    if (folder.isEmpty()) {
        // "/" alone ends up here as well: a run never writes into the root.
        return OutputFolderProblem{OutputFolderProblem::Kind::InvalidName,
                                   QStringLiteral("Invalid name of output folder:\n") + folder};
    }
    if (folder.contains(u'*') || folder.contains(u'?')) {
        return OutputFolderProblem{OutputFolderProblem::Kind::InvalidName,
                                   QStringLiteral("Invalid name of output folder:\n") + folder};
    }
    if (QFileInfo::exists(folder)) return std::nullopt;
    const QFileInfo info(folder);
    if (!QDir(info.absolutePath()).mkdir(info.fileName())) {
        return OutputFolderProblem{OutputFolderProblem::Kind::CannotCreate,
                                   QStringLiteral("Cannot create output folder:\n") + folder};
    }
    return std::nullopt;
}
