// Where the worker writes the output of a clip.
#pragma once

#include <QString>

// The output folder, a path separator unless the folder already ends in one,
// then the source's file name with its extension replaced by "3gp" ("a.b.mpg"
// gives "a.b.3gp"; a name without a dot gets ".3gp" appended). The separator is
// the platform's; on Windows both "\" and "/" count.
QString BuildOutputPath(const QString& outputFolder, const QString& sourcePath);

// The platform's path separator; on Windows both "\\" and "/".
bool IsPathSeparator(QChar c);

// The text after the last path separator of path; the whole path without one.
QString FileNameOfPath(const QString& path);
