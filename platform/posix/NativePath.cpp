#include "NativePath.h"

#include <QFile>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at bytes[i], or 0 when the byte there
// starts none (overlong forms and encoded surrogates count as invalid).
qsizetype ValidSequenceLength(const QByteArray& bytes, qsizetype i) {
    const auto byte = [&bytes](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

QByteArray NativePath(const QString& path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end) {
        if (end > runStart) bytes += QFile::encodeName(path.mid(runStart, end - runStart));
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path.at(i).unicode();
        const bool lone = unit >= 0xDC80 && unit <= 0xDCFF &&
                          (i == 0 || !QChar::isHighSurrogate(path.at(i - 1).unicode()));
        if (!lone) continue;
        flushRun(i);
        bytes += static_cast<char>(unit - kEscapeBase);
        runStart = i + 1;
    }
    flushRun(path.size());
    return bytes;
}

std::string NativePathString(const QString& path) {
    return NativePath(path).toStdString();
}

QString PathFromNative(const QByteArray& bytes) {
    QString path;
    path.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = ValidSequenceLength(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        path += QFile::decodeName(bytes.mid(runStart, i - runStart));
        path += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i])));
        ++i;
        runStart = i;
    }
    path += QFile::decodeName(bytes.mid(runStart));
    return path;
}

QStringList CommandLineArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(PathFromNative(QByteArray(argv[i])));
    return arguments;
}
