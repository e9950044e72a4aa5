#include "OutputNames.h"

#include <QDir>

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
