// Windows names are UTF-16, which QString holds as they are; the bytes handed
// to the file calls and to the media library are their UTF-8, which FFmpeg
// takes on Windows (and platform/windows turns back into wide names).
#include "NativePath.h"

#include <QCoreApplication>

QByteArray NativePath(const QString& path) {
    return path.toUtf8();
}

std::string NativePathString(const QString& path) {
    return NativePath(path).toStdString();
}

QString PathFromNative(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

QStringList CommandLineArguments(int, char*[]) {
    // The wide command line, as Qt reads it.
    return QCoreApplication::arguments();
}
