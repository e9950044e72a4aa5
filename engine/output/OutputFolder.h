// The output folder of a run: its default, and the checks both programs make
// before a run starts, with their messages.
#pragma once

#include <QString>
#include <optional>
#include <system_error>

// The folder a run writes to when none is chosen: 3gpVideo in the user's home
// folder (C:\3gpVideo on Windows), with the platform's separators.
QString DefaultOutputFolder();

// A folder name holding "*" or "?", which no folder may carry.
bool HasInvalidFolderCharacters(const QString& folder);
// Something of that name exists (folder or not: it is taken as it is), or the
// folder was created, one level deep; a missing parent is not created. When
// neither holds, error (if given) receives the system's reason.
bool EnsureFolderExists(const QString& folder, std::error_code* error = nullptr);

// "Invalid name of output folder:\n" and "Cannot create output folder:\n",
// each with the folder ("(empty)" for an empty name) and, when given, a line
// with the reason.
QString InvalidFolderMessage(const QString& folder, const QString& reason = {});
QString CannotCreateFolderMessage(const QString& folder, const QString& reason = {});

struct OutputFolderProblem {
    enum class Kind { InvalidName, CannotCreate };
    Kind What;
    QString Message;
};

// The check both programs make before a run: removes one trailing path
// separator from folder (in place), refuses an empty name (a lone separator
// too, named as given: a run never writes into the root) and one holding "*"
// or "?", and makes sure the folder exists as EnsureFolderExists does.
std::optional<OutputFolderProblem> PrepareOutputFolder(QString& folder);
