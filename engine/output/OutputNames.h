// Where the worker writes the output of a clip.
#pragma once

#include <QString>
#include <functional>

#include "PathNames.h"

// The output folder, a path separator unless the folder already ends in one,
// then the source's file name with its extension replaced by "3gp" ("a.b.mpg"
// gives "a.b.3gp"; a name without a dot gets ".3gp" appended). The separator is
// the platform's; on Windows both "\" and "/" count.
QString BuildOutputPath(const QString& outputFolder, const QString& sourcePath);

// path itself when taken(path) is false; else the first of "name (2).3gp",
// "name (3).3gp", ... (the number before the extension) that is not taken.
QString UnusedOutputPath(const QString& path, const std::function<bool(const QString&)>& taken);
