#include "OutputFolder.h"

#include <QDir>
#include <QFileInfo>

#include "OutputNames.h"

QString DefaultOutputFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\3gpVideo");
#else
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/3gpVideo"));
#endif
}

bool HasInvalidFolderCharacters(const QString& folder) {
    return folder.contains(u'*') || folder.contains(u'?');
}

bool EnsureFolderExists(const QString& folder) {
    return QFileInfo::exists(folder) || QDir().mkdir(folder);
}

QString InvalidFolderMessage(const QString& folder) {
    return QStringLiteral("Invalid name of output folder:\n") + folder;
}

QString CannotCreateFolderMessage(const QString& folder) {
    return QStringLiteral("Cannot create output folder:\n") + folder;
}

std::optional<OutputFolderProblem> PrepareOutputFolder(QString& folder) {
    const QString given = folder;
    if (!folder.isEmpty() && IsPathSeparator(folder.back())) folder.chop(1);
    if (folder.isEmpty() || HasInvalidFolderCharacters(folder)) {
        // Nothing is left of a lone separator: the message names it as given.
        return OutputFolderProblem{OutputFolderProblem::Kind::InvalidName,
                                   InvalidFolderMessage(folder.isEmpty() ? given : folder)};
    }
    if (!EnsureFolderExists(folder)) {
        return OutputFolderProblem{OutputFolderProblem::Kind::CannotCreate,
                                   CannotCreateFolderMessage(folder)};
    }
    return std::nullopt;
}
