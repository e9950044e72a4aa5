#include "OutputNames.h"

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

QString BuildOutputPath(const QString& outputFolder, const QString& sourcePath) {
    QString result = outputFolder;
    if (result.isEmpty() || !IsPathSeparator(result.back())) result += QDir::separator();

    const QString fileName = FileNameOfPath(sourcePath);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0) {
        result += fileName + QStringLiteral(".3gp");
    } else {
        result += fileName.left(dot + 1) + QStringLiteral("3gp");
    }
    return result;
}

QString UnusedOutputPath(const QString& path, const std::function<bool(const QString&)>& taken) {
    if (!taken(path)) return path;
    const QString name = FileNameOfPath(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype stemEnd = path.size() - name.size() + (dot < 0 ? name.size() : dot);
    for (int number = 2;; ++number) {
        QString candidate = path;
        candidate.insert(stemEnd, QStringLiteral(" (%1)").arg(number));
        if (!taken(candidate)) return candidate;
    }
}
