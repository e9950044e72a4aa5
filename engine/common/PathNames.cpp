#include "PathNames.h"

#include <QDir>

#include "ShownName.h"
#include "SystemPlaces.h"

bool IsPathSeparator(QChar c) {
    return platform::IsPathSeparator(c);
}

QString FileNameOfPath(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsPathSeparator(path.at(i))) return path.mid(i + 1);
    }
    return path;
}

QString ShownName(const QString& name) {
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            return QString::fromStdString(ShownName(name.toStdString()));
        }
    }
    return name;
}
