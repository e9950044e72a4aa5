#include "DamagedClips.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include "RunProgram.h"
#include "TestClips.h"

namespace test_support {

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// Runs ffmpeg and says so when it failed; the path, or empty.
QString Made(const QStringList& arguments, const QString& path) {
    const ProgramResult result = RunFfmpeg(arguments, path);
    if (result.ExitCode != 0) {
        qWarning("ffmpeg failed for %s: %s", qPrintable(path), result.Err.constData());
        return {};
    }
    return path;
}

}  // namespace

bool CopyWithFlippedBytes(const QString& source, const QString& path, qint64 offset, int count) {
    QByteArray data = ReadAll(source);
    if (offset < 0 || offset + count > data.size()) return false;
    for (int i = 0; i < count; ++i) data[offset + i] = static_cast<char>(~data[offset + i]);
    return WriteAll(path, data);
}

bool CopyCut(const QString& source, const QString& path, qint64 length) {
    const QByteArray data = ReadAll(source);
    return !data.isEmpty() && WriteAll(path, data.left(length));
}

qint64 FindInFile(const QString& path, const QByteArray& marker) {
    return ReadAll(path).indexOf(marker);
}

QString MakeDamagedSoundClip(const QString& folder, const QString& name, int seconds, double from,
                             double to) {
    QStringList arguments = TestPictureInput(QStringLiteral("160x120"), 25, seconds);
    arguments << SineToneInput(44100, seconds) << QStringList{"-c:v", "mpeg4", "-c:a", "aac"};
    const QString whole = Made(arguments, folder + QStringLiteral("/whole-") + name);
    if (whole.isEmpty()) return {};
    // Where each sound frame lies: "time,size,position" lines from ffprobe.
    const ProgramResult packets = RunProgram(
        QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                    "packet=pts_time,size,pos", "-of", "csv=p=0", whole});
    QByteArray data = ReadAll(whole);
    int damaged = 0;
    for (const QByteArray& line : packets.Out.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() != 3) continue;
        const double time = fields[0].toDouble();
        const qint64 position = fields[2].toLongLong();
        if (time < from || time >= to || position <= 0 || position + 4 > data.size()) continue;
        for (int i = 0; i < 4; ++i) data[position + i] = static_cast<char>(~data[position + i]);
        ++damaged;
    }
    const QString path = folder + u'/' + name;
    return damaged > 0 && WriteAll(path, data) ? path : QString();
}

QString MakeHeaderOnlyMp4(const QString& folder) {
    QStringList arguments = TestPictureInput(QStringLiteral("160x120"), 25, 2);
    arguments << SineToneInput(44100, 2)
              << QStringList{"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart"};
    const QString whole = Made(arguments, folder + QStringLiteral("/whole.mp4"));
    if (whole.isEmpty()) return {};
    // The media data box's size and type; the cut keeps them and nothing after.
    const qint64 data = FindInFile(whole, "mdat");
    const QString path = folder + QStringLiteral("/header-only.mp4");
    if (data < 4 || !CopyCut(whole, path, data + 4)) return {};
    return path;
}

QString MakeFramelessMkv(const QString& folder) {
    QStringList arguments = TestPictureInput(QStringLiteral("160x120"), 25, 1);
    arguments << SineToneInput(44100, 1) << QStringList{"-c:v", "mpeg4", "-c:a", "libmp3lame"};
    const QString whole = Made(arguments, folder + QStringLiteral("/whole.mkv"));
    if (whole.isEmpty()) return {};
    // The cut keeps the first cluster's identifier: without it the library
    // takes the file for broken instead of empty.
    const qint64 cluster = FindInFile(whole, QByteArray::fromHex("1F43B675"));
    const QString path = folder + QStringLiteral("/frameless.mkv");
    if (cluster <= 0 || !CopyCut(whole, path, cluster + 4)) return {};
    return path;
}

QString MakeJoinedTransportStream(const QString& folder, const QString& name, int seconds,
                                  int jumpSeconds) {
    QByteArray joined;
    for (int part = 0; part < 2; ++part) {
        QStringList arguments = TestPictureInput(QStringLiteral("160x120"), 25, seconds);
        arguments << SineToneInput(22050, seconds)
                  << QStringList{"-c:v", "mpeg2video", "-c:a", "mp2"};
        if (part == 1 && jumpSeconds != 0) {
            // The second part's clock goes on jumpSeconds after the first's end.
            arguments << "-output_ts_offset" << QString::number(seconds + jumpSeconds);
        }
        const QString piece =
            Made(arguments, folder + QStringLiteral("/%1.part%2.ts").arg(name).arg(part));
        if (piece.isEmpty()) return {};
        joined += ReadAll(piece);
    }
    const QString path = folder + u'/' + name;
    return WriteAll(path, joined) ? path : QString();
}

QString MakeJoinedMarkedRecordings(const QString& folder, const QString& name,
                                   const QList<int>& lengths, const QString& format,
                                   const QString& videoCodec, const QString& audioCodec,
                                   double clockOffset, int lateFrom, double lateBy) {
    QByteArray joined;
    for (qsizetype part = 0; part < lengths.size(); ++part) {
        const int seconds = lengths[part];
        const QString flash = QStringLiteral(
                                  "color=black:size=160x120:rate=25:duration=%1,"
                                  "drawbox=enable='lt(mod(t\\,1)\\,0.2)':color=white:t=fill")
                                  .arg(seconds);
        const QString tone =
            QStringLiteral(
                "aevalsrc='if(lt(mod(t\\,1)\\,0.2)\\,0.8*sin(2*PI*1000*t)\\,0)':s=48000:d=%1")
                .arg(seconds);
        QStringList arguments{"-f", "lavfi", "-i", flash, "-f", "lavfi", "-i", tone};
        arguments << "-c:v" << videoCodec << "-c:a" << audioCodec << "-f" << format;
        if (videoCodec == "libx265")
            arguments << "-x265-params"
                      << "log-level=error";
        const double offset = clockOffset + (lateFrom >= 0 && part >= lateFrom ? lateBy : 0);
        if (offset != 0) arguments << "-output_ts_offset" << QString::number(offset);
        const QString piece =
            Made(arguments, folder + QStringLiteral("/%1.part%2").arg(name).arg(part));
        if (piece.isEmpty()) return {};
        joined += ReadAll(piece);
    }
    const QString path = folder + u'/' + name;
    return WriteAll(path, joined) ? path : QString();
}

QString MakeCutShortMp4(const QString& folder, int seconds) {
    QStringList arguments = TestPictureInput(QStringLiteral("160x120"), 25, seconds);
    arguments << SineToneInput(44100, seconds)
              << QStringList{"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart"};
    const QString whole = Made(arguments, folder + QStringLiteral("/whole-%1s.mp4").arg(seconds));
    if (whole.isEmpty()) return {};
    const QString path = folder + QStringLiteral("/cut-short.mp4");
    return CopyCut(whole, path, QFile(whole).size() / 2) ? path : QString();
}

QString MakeWebmCutInItsHeader(const QString& folder) {
    QStringList arguments = TestPictureInput(QStringLiteral("160x120"), 25, 2);
    arguments << SineToneInput(44100, 2) << QStringList{"-c:v", "libvpx", "-c:a", "libvorbis"};
    const QString whole = Made(arguments, folder + QStringLiteral("/whole.webm"));
    if (whole.isEmpty()) return {};
    // Inside the Vorbis headers in the track entries.
    const QString path = folder + QStringLiteral("/header-cut.webm");
    return CopyCut(whole, path, 500) ? path : QString();
}

QString MakeFlacCutInItsHeader(const QString& folder) {
    const QString whole = Made(SineToneInput(44100, 2), folder + QStringLiteral("/whole.flac"));
    if (whole.isEmpty()) return {};
    const QString path = folder + QStringLiteral("/header-cut.flac");
    return CopyCut(whole, path, 50) ? path : QString();
}

QString MakeOggWithoutPages(const QString& folder) {
    QByteArray data("OggS");
    for (int i = 0; i < 2000; ++i) data += static_cast<char>((i * 37 + 11) & 255);
    const QString path = folder + QStringLiteral("/no-pages.ogg");
    return WriteAll(path, data) ? path : QString();
}

QString MakeStillWithLongSound(const QString& folder, int seconds) {
    QStringList arguments = TestPictureInput(QStringLiteral("160x120"), 25, 0.04);
    arguments << SineToneInput(44100, seconds)
              << QStringList{"-c:v", "mpeg4", "-c:a", "libmp3lame", "-b:a", "32k"};
    return Made(arguments, folder + QStringLiteral("/still-%1s.mkv").arg(seconds));
}

}  // namespace test_support
