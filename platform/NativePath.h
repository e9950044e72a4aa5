// File names as the file system keeps them. On POSIX systems a name is any string of
// bytes; a name that is no valid UTF-8 (a Latin-1 "café.avi") must still reach
// the open call byte for byte. QString cannot hold such bytes as they are, and
// Qt's own decoding turns each into U+FFFD for good. Here every byte that is
// not part of valid UTF-8 becomes the lone surrogate U+DC80 + (byte - 0x80)
// instead (as Python's "surrogateescape" does), and NativePath turns it back.
// A lone surrogate never stands in a real name, so names that are valid UTF-8
// read and write exactly as QFile::decodeName and QFile::encodeName do.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>

// The file system's bytes of a name made by PathFromNative (or of any name
// with no lone surrogate, as QFile::encodeName gives them).
QByteArray NativePath(const QString& path);
std::string NativePathString(const QString& path);

// A name from the file system's bytes, without loss.
QString PathFromNative(const QByteArray& bytes);

// The program's arguments (main's argc and argv) with every file name's own
// bytes kept, so that a name that is no valid UTF-8 still reaches the open
// call as the file system spells it. Needs the QCoreApplication made.
QStringList CommandLineArguments(int argc, char* argv[]);
