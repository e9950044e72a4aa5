#include "OutputFolder.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#include "NativePath.h"
#include "OutputNames.h"
#include "PathNames.h"
#include "SystemPlaces.h"

QString DefaultOutputFolder() {
    return platform::DefaultOutputFolderPath();
}

bool HasInvalidFolderCharacters(const QString& folder) {
    return folder.contains(u'*') || folder.contains(u'?');
}

namespace {

// The folder's name in the system's own form.
std::filesystem::path FolderPath(const QString& folder) {
    return platform::FileSystemPath(folder);
}

// The folder as the message shows it: an empty one as "(empty)".
QString Named(const QString& folder) {
    return folder.isEmpty() ? QStringLiteral("(empty)") : ShownName(folder);
}

QString ReasonText(const std::error_code& error) {
    return QString::fromLocal8Bit(error.message());
}

}  // namespace

bool EnsureFolderExists(const QString& folder, std::error_code* error) {
    std::error_code code;
    const std::filesystem::path path = FolderPath(folder);
    // Something of that name, followed through links, is taken as it is.
    if (!folder.isEmpty() && std::filesystem::exists(path, code)) return true;
    if (!folder.isEmpty() && std::filesystem::create_directory(path, code)) return true;
    if (folder.isEmpty()) code = std::make_error_code(std::errc::no_such_file_or_directory);
    // Made by someone else at the same time: there now.
    if (!folder.isEmpty() && std::filesystem::exists(path)) return true;
    if (error) *error = code;
    return false;
}

QString InvalidFolderMessage(const QString& folder, const QString& reason) {
    QString message = QStringLiteral("Invalid name of output folder:\n") + Named(folder);
    if (!reason.isEmpty()) message += u'\n' + reason;
    return message;
}

QString CannotCreateFolderMessage(const QString& folder, const QString& reason) {
    QString message = QStringLiteral("Cannot create output folder:\n") + Named(folder);
    if (!reason.isEmpty()) message += u'\n' + reason;
    return message;
}

std::optional<OutputFolderProblem> PrepareOutputFolder(QString& folder) {
    const QString given = folder;
    if (!folder.isEmpty() && IsPathSeparator(folder.back())) folder.chop(1);
    if (folder.isEmpty() || HasInvalidFolderCharacters(folder)) {
        // Nothing is left of a lone separator: the message names it as given.
        // An empty name names no folder; "*" and "?" no folder may carry.
        const std::error_code reason = std::make_error_code(
            given.isEmpty() ? std::errc::no_such_file_or_directory : std::errc::invalid_argument);
        return OutputFolderProblem{
            OutputFolderProblem::Kind::InvalidName,
            InvalidFolderMessage(folder.isEmpty() ? given : folder, ReasonText(reason))};
    }
    std::error_code error;
    if (!EnsureFolderExists(folder, &error)) {
        return OutputFolderProblem{OutputFolderProblem::Kind::CannotCreate,
                                   CannotCreateFolderMessage(folder, ReasonText(error))};
    }
    return std::nullopt;
}
