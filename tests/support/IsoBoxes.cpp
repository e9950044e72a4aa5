#include "IsoBoxes.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QtEndian>

namespace test_support {

namespace {

struct Span {
    qint64 Begin = 0;  // first content byte
    qint64 End = 0;    // just past the box
};

// The first box named `type` among the boxes that fill [begin, end).
std::optional<Span> Find(const QByteArray& data, qint64 begin, qint64 end, const char* type) {
    while (begin + 8 <= end) {
        quint64 size = qFromBigEndian<quint32>(data.constData() + begin);
        qint64 header = 8;
        if (size == 1 && begin + 16 <= end) {
            size = qFromBigEndian<quint64>(data.constData() + begin + 8);
            header = 16;
        } else if (size == 0) {
            size = static_cast<quint64>(end - begin);
        }
        if (size < static_cast<quint64>(header) || size > static_cast<quint64>(end - begin)) break;
        if (data.mid(begin + 4, 4) == type) {
            return Span{begin + header, begin + static_cast<qint64>(size)};
        }
        begin += static_cast<qint64>(size);
    }
    return std::nullopt;
}

}  // namespace

std::optional<H263Declaration> H263SampleEntry(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray data = file.readAll();
    const std::optional<Span> moov = Find(data, 0, data.size(), "moov");
    if (!moov) return std::nullopt;
    // Every track, the first H.263 one counts.
    for (qint64 at = moov->Begin; at < moov->End;) {
        const std::optional<Span> trak = Find(data, at, moov->End, "trak");
        if (!trak) break;
        at = trak->End;
        std::optional<Span> box = trak;
        for (const char* type : {"mdia", "minf", "stbl", "stsd"}) {
            if (box) box = Find(data, box->Begin, box->End, type);
        }
        // stsd: version, flags and entry count; the s263 entry's visual
        // fields take 78 bytes before its own boxes.
        if (box) box = Find(data, box->Begin + 8, box->End, "s263");
        if (box) box = Find(data, box->Begin + 78, box->End, "d263");
        // d263: vendor, decoder version, level, profile.
        if (box && box->End - box->Begin >= 7) {
            return H263Declaration{static_cast<unsigned char>(data.at(box->Begin + 5)),
                                   static_cast<unsigned char>(data.at(box->Begin + 6))};
        }
    }
    return std::nullopt;
}

bool ScaleMovieDuration(const QString& path, double factor) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    QByteArray data = file.readAll();
    const std::optional<Span> moov = Find(data, 0, data.size(), "moov");
    const std::optional<Span> mvhd =
        moov ? Find(data, moov->Begin, moov->End, "mvhd") : std::nullopt;
    if (!mvhd || mvhd->End - mvhd->Begin < 32) return false;
    // Version 0: 32-bit creation and modification times, time scale, duration;
    // version 1: 64-bit times and duration.
    char* fields = data.data() + mvhd->Begin;
    if (fields[0] == 0) {
        const quint32 duration = qFromBigEndian<quint32>(fields + 16);
        qToBigEndian<quint32>(static_cast<quint32>(duration * factor), fields + 16);
    } else {
        const quint64 duration = qFromBigEndian<quint64>(fields + 24);
        qToBigEndian<quint64>(static_cast<quint64>(static_cast<double>(duration) * factor),
                              fields + 24);
    }
    return file.seek(0) && file.write(data) == data.size();
}

}  // namespace test_support
