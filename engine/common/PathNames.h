// File names as the platform spells them: its path separators and the name
// after the last of them.
#pragma once

#include <QString>

// The platform's path separator; on Windows both "\\" and "/".
bool IsPathSeparator(QChar c);

// The text after the last path separator of path; the whole path without one.
QString FileNameOfPath(const QString& path);

// A name as a message shows it, on one line (see ShownName.h).
QString ShownName(const QString& name);
