// Source clips for the tests, made with Debian's ffmpeg program from its
// testsrc pictures and a sine tone.
#pragma once

#include <QString>
#include <QStringList>

#include "RunProgram.h"

namespace test_support {

// ffmpeg's input options for testsrc pictures of the given size ("160x120"),
// rate pictures a second; seconds > 0 ends the pictures after that long.
QStringList TestPictureInput(const QString& size, int rate, double seconds = 0);

// ffmpeg's input options for a 440 Hz sine tone; seconds > 0 ends it after
// that long.
QStringList SineToneInput(int sampleRate, double seconds = 0);

// Runs "ffmpeg -v error -nostdin -y <arguments> <outputPath>". ffmpeg names
// the program to run.
ProgramResult RunFfmpeg(const QStringList& arguments, const QString& outputPath,
                        const QString& ffmpeg = QStringLiteral("ffmpeg"));

// True when the ffmpeg program has the encoder. Debian's has every one the
// tests make clips with; the one cross-built for the Windows tests lacks the
// external ones (libx265, libvpx, libvorbis), and the tests whose sources
// need them are skipped there, saying so (SkipWithoutEncoder).
bool FfmpegHasEncoder(const QString& encoder, const QString& ffmpeg = QStringLiteral("ffmpeg"));

// The reason to skip a test whose source needs the encoder, or an empty
// string when the ffmpeg program has it:
//   if (const QString why = SkipWithoutEncoder("libx265"); !why.isEmpty())
//       GTEST_SKIP() << why.toStdString();
QString SkipWithoutEncoder(const QString& encoder,
                           const QString& ffmpeg = QStringLiteral("ffmpeg"));

// A clip of `seconds` seconds: testsrc pictures of width x height at 25 fps as
// MPEG-4 video (-q:v 5) and a sine tone as 16-bit PCM, in the container the
// path's extension names (AVI takes both). Returns the path, or an empty
// string (with a warning of what ffmpeg printed) when ffmpeg failed.
QString MakeMpeg4PcmClip(const QString& path, int seconds, int width, int height, int sampleRate);

}  // namespace test_support
