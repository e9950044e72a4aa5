// Mutated copies of generated clips through kestovar3gp-cli, built with
// AddressSanitizer and UndefinedBehaviorSanitizer: bytes changed at random
// (from a fixed seed, so every run tries the same copies) and files cut short.
// Whatever the damage, the program must end by itself with 0 or 1, report no
// memory fault or undefined behaviour, leave no temporary file, and every
// output it calls converted must decode cleanly.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "RunProgram.h"
#include "TestClips.h"

namespace {

using test_support::ProgramResult;

// Copies of each clip: the whole run stays within two minutes on two cores.
constexpr int kCopiesPerClip = 12;
constexpr int kCopiesPerNewerClip = 8;
constexpr int kTimeLimitMs = 30000;

struct Clip {
    QString Name;
    QStringList Codecs;  // ffmpeg's output options
    bool Sound = true;
    bool Pictures = true;
    int Copies = kCopiesPerClip;
    bool Subtitles = false;  // a subtitle file is the third input
};

// Small clips of the containers and codecs people bring: one second each.
const std::vector<Clip> kClips = {
    {"clip.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}},
    {"clip.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2"}},
    {"clip.wmv", {"-c:v", "wmv2", "-c:a", "wmav2"}},
    {"clip.flv", {"-c:v", "flv", "-c:a", "libmp3lame"}},
    {"clip.mp4", {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}},
    {"clip.mkv", {"-c:v", "libvpx", "-c:a", "libvorbis"}},
    {"clip.ts", {"-c:v", "mpeg2video", "-c:a", "ac3"}},
    {"clip.mp3", {"-c:a", "libmp3lame"}, true, false},
    // Newer codecs, other containers and their particular structures.
    {"hevc.mp4",
     {"-c:v", "libx265", "-x265-params", "log-level=error", "-c:a", "aac"},
     true,
     true,
     kCopiesPerNewerClip},
    {"av1.webm",
     {"-c:v", "libaom-av1", "-cpu-used", "8", "-c:a", "libopus"},
     true,
     true,
     kCopiesPerNewerClip},
    {"vp9.webm",
     {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-c:a", "libopus"},
     true,
     true,
     kCopiesPerNewerClip},
    {"asp.avi",
     {"-c:v", "mpeg4", "-vtag", "XVID", "-bf", "2", "-c:a", "libmp3lame"},
     true,
     true,
     kCopiesPerNewerClip},
    {"pcm.mov",
     {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le"},
     true,
     true,
     kCopiesPerNewerClip},
    {"amr.3gp",
     {"-c:v", "mpeg4", "-c:a", "libopencore_amrnb", "-ar", "8000", "-ac", "1"},
     true,
     true,
     kCopiesPerNewerClip},
    {"theora.ogv", {"-c:v", "libtheora", "-c:a", "libvorbis"}, true, true, kCopiesPerNewerClip},
    {"sound.flac", {"-c:a", "flac"}, true, false, kCopiesPerNewerClip},
    {"subtitled.mkv",
     {"-map", "0:v", "-map", "1:a", "-map", "2:s", "-c:v", "mpeg4", "-c:a", "libvorbis", "-c:s",
      "srt"},
     true,
     true,
     kCopiesPerNewerClip,
     true},
    {"hevc.ts",
     {"-c:v", "libx265", "-x265-params", "log-level=error", "-c:a", "aac"},
     true,
     true,
     kCopiesPerNewerClip},
    {"clip.m2ts",
     {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "ac3", "-f", "mpegts", "-mpegts_m2ts_mode",
      "1"},
     true,
     true,
     kCopiesPerNewerClip},
    {"wma.asf", {"-c:v", "wmv1", "-c:a", "wmav1"}, true, true, kCopiesPerNewerClip},
    // B-frames and a later start give the MP4 an edit list.
    {"edited.mp4",
     {"-c:v", "libx264", "-bf", "2", "-c:a", "aac", "-output_ts_offset", "0.5"},
     true,
     true,
     kCopiesPerNewerClip},
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The copy number `copy` of data: a few bytes changed, and every fourth copy
// also cut short. The first 16 bytes stay for half the copies, so that the
// container is still recognised and the damage reaches the decoders.
QByteArray Mutated(const QByteArray& data, int copy) {
    std::mt19937 random(static_cast<unsigned>(copy) * 7919u + 17u);
    QByteArray result = data;
    const int from = copy % 2 == 0 ? 16 : 0;
    std::uniform_int_distribution<int> where(from, static_cast<int>(data.size()) - 1);
    std::uniform_int_distribution<int> changes(1, 12);
    std::uniform_int_distribution<int> value(0, 255);
    for (int n = changes(random); n > 0; --n)
        result[where(random)] = static_cast<char>(value(random));
    if (copy % 4 == 3) result.truncate(where(random));
    return result;
}

struct Outcome {
    QString Source;
    ProgramResult Run;
    QStringList Left;      // files in the output folder afterwards
    QString DecodeErrors;  // of the output, when the program said it converted
};

}  // namespace

TEST(MutationTest, DamagedClipsNeverCrashHangOrPassAsConverted) {
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    std::vector<QString> sources;
    const QString subtitles = work.filePath("subtitles.srt");
    {
        QFile file(subtitles);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "1\n00:00:00,000 --> 00:00:00,500\nFirst line\n\n"
            "2\n00:00:00,500 --> 00:00:01,000\n<i>Second</i> line\n\n");
    }
    for (const Clip& clip : kClips) {
        QStringList arguments;
        if (clip.Pictures) arguments << test_support::TestPictureInput("160x120", 25, 1);
        if (clip.Sound) arguments << test_support::SineToneInput(44100, 1);
        if (clip.Subtitles) arguments << "-i" << subtitles;
        arguments << clip.Codecs;
        const QString original = work.filePath("original-" + clip.Name);
        const ProgramResult made = test_support::RunFfmpeg(arguments, original);
        ASSERT_EQ(made.ExitCode, 0) << made.Err.toStdString();
        const QByteArray data = ReadAll(original);
        for (int copy = 0; copy < clip.Copies; ++copy) {
            const QString path =
                work.filePath(QStringLiteral("m%1-%2").arg(copy, 3, 10, QChar('0')).arg(clip.Name));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(Mutated(data, copy + static_cast<int>(sources.size())));
            sources.push_back(path);
        }
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", work.path());
    // A sanitizer report ends the program with a status of its own.
    environment.insert("ASAN_OPTIONS", "exitcode=86:fast_unwind_on_malloc=0");
    environment.insert("UBSAN_OPTIONS", "halt_on_error=1:print_stacktrace=1:exitcode=87");
    environment.insert("LSAN_OPTIONS",
                       "print_suppressions=0:suppressions=" KESTOVAR_LSAN_SUPPRESSIONS);

    std::vector<Outcome> outcomes(sources.size());
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < sources.size(); i = next++) {
            Outcome& outcome = outcomes[i];
            outcome.Source = sources[i];
            const QString folder = work.filePath(QStringLiteral("out%1").arg(i));
            QDir().mkpath(folder);
            outcome.Run = test_support::RunProgram(
                KESTOVAR_CLI_PATH,
                {"-m", "Nokia 6630", "-s", "128x96", "-q", "low", "-o", folder, sources[i]},
                environment, kTimeLimitMs);
            outcome.Left = QDir(folder).entryList(QDir::Files);
            if (outcome.Run.ExitCode == 0 && outcome.Left.size() == 1) {
                const ProgramResult decoded = test_support::RunProgram(
                    "ffmpeg", {"-v", "error", "-nostdin", "-i", folder + u'/' + outcome.Left[0],
                               "-f", "null", "-"});
                outcome.DecodeErrors = QString::fromUtf8(decoded.Err);
                if (decoded.ExitCode != 0) outcome.DecodeErrors += "(ffmpeg failed)";
            }
        }
    };
    std::thread second(worker);
    worker();
    second.join();

    int converted = 0;
    for (const Outcome& o : outcomes) {
        const std::string name = o.Source.toStdString();
        const std::string err = o.Run.Err.toStdString();
        EXPECT_TRUE(o.Run.ExitCode == 0 || o.Run.ExitCode == 1)
            << name << ": exit status " << o.Run.ExitCode << "\n"
            << err;
        EXPECT_FALSE(o.Run.Err.contains("Sanitizer") || o.Run.Err.contains("runtime error:"))
            << name << "\n"
            << err;
        EXPECT_TRUE(o.Left.filter(".part").isEmpty())
            << name << ": " << o.Left.join(' ').toStdString();
        if (o.Run.ExitCode == 0) {
            ++converted;
            EXPECT_EQ(o.Left.size(), 1) << name << ": " << o.Left.join(' ').toStdString();
            EXPECT_TRUE(o.DecodeErrors.isEmpty()) << name << ": " << o.DecodeErrors.toStdString();
        }
        if (o.Run.ExitCode == 1) {
            EXPECT_TRUE(o.Left.isEmpty()) << name << ": " << o.Left.join(' ').toStdString();
        }
    }
    // Most damage is passed over; a run where nearly nothing converts points
    // at the program, not at the copies.
    EXPECT_GT(converted, static_cast<int>(outcomes.size()) / 3);
}
