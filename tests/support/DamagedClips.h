// Damaged and unusual source clips for the tests, made from generated clips:
// bytes flipped at a fixed place, files cut short, streams joined with jumps
// in their time stamps, a still picture under long sound.
#pragma once

#include <QByteArray>
#include <QString>

namespace test_support {

// Copies source to path with count bytes inverted from offset on. False when
// either file could not be used or the offset lies beyond the end.
bool CopyWithFlippedBytes(const QString& source, const QString& path, qint64 offset, int count = 1);

// Copies the first length bytes of source to path.
bool CopyCut(const QString& source, const QString& path, qint64 length);

// The offset of the first occurrence of marker in the file, or -1.
qint64 FindInFile(const QString& path, const QByteArray& marker);

// A clip of `seconds` seconds, MPEG-4 pictures and AAC sound in MP4, whose
// sound frames from `from` to before `to` seconds each have their first bytes
// inverted, so that the sound decoder rejects them.
QString MakeDamagedSoundClip(const QString& folder, const QString& name, int seconds, double from,
                             double to);

// A fast-start MP4 (index in front) of MPEG-4 pictures and AAC sound, cut
// right after the header of its media data: what a broken download leaves.
QString MakeHeaderOnlyMp4(const QString& folder);

// A Matroska file with its headers and no frames at all (cut inside the first
// cluster's header).
QString MakeFramelessMkv(const QString& folder);

// Two generated MPEG-TS recordings of `seconds` seconds each joined as `cat`
// joins them: the second's time stamps start again at the first's (restart),
// or lie jumpSeconds later (a jump).
QString MakeJoinedTransportStream(const QString& folder, const QString& name, int seconds,
                                  int jumpSeconds);

// Recordings joined as `cat` joins them, one part of each length in seconds:
// a black picture that turns white and a 1 kHz tone that sounds for the first
// 0.2 s of every second of each part, so that the output shows whether
// pictures and sound stay in step. Every part's clock starts at 1.4 s plus
// clockOffset seconds (near 95443 the 33-bit clock wraps inside a part); the
// parts from lateFrom on start lateBy seconds later still (a gap in the
// recording, when smaller than the first parts' length).
// format: "mpegts" or "mpeg"; the codecs as the ffmpeg program names them.
QString MakeJoinedMarkedRecordings(const QString& folder, const QString& name,
                                   const QList<int>& lengths, const QString& format,
                                   const QString& videoCodec, const QString& audioCodec,
                                   double clockOffset = 0, int lateFrom = -1, double lateBy = 0);

// A fast-start MP4 (index in front) of `seconds` seconds, MPEG-4 pictures and
// AAC sound, cut to half its bytes: a download or a copy that stopped.
QString MakeCutShortMp4(const QString& folder, int seconds);

// A WebM and a FLAC file cut inside their headers, which the library reports
// as an input/output error although nothing failed to read.
QString MakeWebmCutInItsHeader(const QString& folder);
QString MakeFlacCutInItsHeader(const QString& folder);
// An Ogg file's first four bytes, then bytes that hold no page: the demuxer
// reaches the end looking for one.
QString MakeOggWithoutPages(const QString& folder);

// One picture and `seconds` seconds of sound (a song with a still), as MPEG-4
// pictures and MP3 sound in Matroska.
QString MakeStillWithLongSound(const QString& folder, int seconds);

}  // namespace test_support
