#include "PathNames.h"

#include <QDir>

bool IsPathSeparator(QChar c) {
#ifdef Q_OS_WIN
    return c == u'\\' || c == u'/';
#else
    return c == QDir::separator();
#endif
}

QString FileNameOfPath(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsPathSeparator(path.at(i))) return path.mid(i + 1);
    }
    return path;
}
