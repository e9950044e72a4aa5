// File names as the platform spells them: its path separators and the name
// after the last of them.
#pragma once

#include <QString>
#include <string>

// The platform's path separator; on Windows both "\\" and "/".
bool IsPathSeparator(QChar c);

// The text after the last path separator of path; the whole path without one.
QString FileNameOfPath(const QString& path);

// A name as a message shows it, on one line: a line feed, carriage return or
// tab as \n, \r and \t, any other control character as \xNN, a backslash
// before them unchanged. Ordinary names stay as they are.
QString ShownName(const QString& name);
std::string ShownName(const std::string& name);
