// Checking, and where needed creating, the output folder of a run.
#pragma once

#include <QString>
#include <optional>

struct OutputFolderProblem {
    enum class Kind { InvalidName, CannotCreate };
    Kind What;
    QString Message;  // "Invalid name of output folder:\n" + the folder, or the like
};

// Removes one trailing path separator from folder (in place), refuses a name
// holding "*" or "?" or an empty one, and creates a missing folder one level
// deep (a missing parent is not created). Something of that name that already
// exists, folder or not, is accepted as it is.
std::optional<OutputFolderProblem> PrepareOutputFolder(QString& folder);

// The folder a run writes to when none is given: 3gpVideo in the user's home
// folder (C:\3gpVideo on Windows).
QString DefaultOutputFolder();
