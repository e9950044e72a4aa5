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

std::string ShownName(const std::string& name) {
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '\t') {
            shown += "\\t";
        } else {
            static constexpr char kDigits[] = "0123456789abcdef";
            shown += "\\x";
            shown += kDigits[byte >> 4];
            shown += kDigits[byte & 0xf];
        }
    }
    return shown;
}

QString ShownName(const QString& name) {
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            return QString::fromStdString(ShownName(name.toStdString()));
        }
    }
    return name;
}
