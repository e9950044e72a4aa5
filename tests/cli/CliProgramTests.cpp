// kestovar3gp-cli as a user runs it: a real process over real clips.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "IsoBoxes.h"
#include "RunProgram.h"
#include "TestMedia.h"

namespace {

using testmedia::ProcessResult;

const QString Program = QStringLiteral(KESTOVAR_CLI_PATH);

class CliProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Sources = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(testmedia::MakeClip(Source("one.mpg"), 1.5));
        ASSERT_TRUE(
            testmedia::MakeClip(Source("two.avi"), 1, "176x144", 25, "mpeg4", "libmp3lame", 44100));
        // Long and large enough to be stopped while it converts.
        ASSERT_TRUE(testmedia::MakeClip(Source("long.avi"), 30, "640x480", 30, "mpeg4",
                                        "libmp3lame", 44100));
    }
    static void TearDownTestSuite() { Sources.reset(); }
    static QString Source(const QString& name) { return Sources->filePath(name); }

    // Runs the program with HOME in a temporary folder, so the default output
    // folder never touches the user's own.
    ProcessResult Cli(const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", Home.path());
        return test_support::RunTextProgram(Program, arguments, env);
    }

    static inline std::unique_ptr<QTemporaryDir> Sources;
    QTemporaryDir Home;
    QTemporaryDir Out;
};

TEST_F(CliProgram, VersionNamesTheLoadedLibraries) {
    const ProcessResult r = Cli({"--version"});
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_TRUE(r.Out.startsWith("kestovar3gp-cli 1.")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("FFmpeg"));
    EXPECT_TRUE(QString(r.Out).contains(QRegularExpression("libavcodec 59\\.\\d+\\.\\d+")));
    EXPECT_TRUE(QString(r.Out).contains(QRegularExpression("libswresample 4\\.\\d+\\.\\d+")));
}

TEST_F(CliProgram, ListsModelsAndTheirSizes) {
    const ProcessResult models = Cli({"--list-models"});
    EXPECT_EQ(models.ExitCode, 0);
    const QStringList lines = QString(models.Out).split('\n', Qt::SkipEmptyParts);
    const QRegularExpression row("^\\s*(\\d+)\\s+(\\S.*\\S)\\s+(\\d+x\\d+)\\s+(MPEG-4|H\\.263)$");
    int rows = 0;
    for (const QString& line : lines) {
        if (row.match(line).hasMatch()) ++rows;
    }
    EXPECT_EQ(rows, 84);
    EXPECT_TRUE(lines.filter("Nokia N93").first().contains("320x240"));
    EXPECT_TRUE(lines.filter("Nokia N93").first().endsWith("MPEG-4"));
    EXPECT_TRUE(lines.filter("Sony Ericsson Z500/Z520").first().contains("128x96"));

    // An H.263 model: the four sizes that codec takes, its own marked.
    const ProcessResult h263 = Cli({"--list-resolutions", "Nokia 6630"});
    EXPECT_EQ(h263.ExitCode, 0);
    EXPECT_EQ(QString(h263.Out),
              "Picture sizes for Nokia 6630 (H.263):\n  128x96\n  176x144    (default)\n"
              "  352x288\n  704x576\n");
    // An MPEG-4 model by row: all eighteen.
    const ProcessResult mpeg4 = Cli({"--list-resolutions", "0"});
    EXPECT_EQ(mpeg4.ExitCode, 0);
    EXPECT_EQ(QString(mpeg4.Out).count(QRegularExpression("\\b\\d+x\\d+\\b")), 18);
    EXPECT_TRUE(mpeg4.Out.contains("320x240    (default)"));

    EXPECT_EQ(Cli({"--list-resolutions", "Nokia 1100"}).ExitCode, 2);
    EXPECT_EQ(Cli({"--list-resolutions", "84"}).ExitCode, 2);
}

TEST_F(CliProgram, BadUsageIsRefusedWithStatus2) {
    const ProcessResult size =
        Cli({"-m", "Nokia 6630", "-s", "320x240", "-o", Out.path(), Source("one.mpg")});
    EXPECT_EQ(size.ExitCode, 2);
    EXPECT_TRUE(size.Err.contains("128x96, 176x144, 352x288, 704x576")) << size.Err.toStdString();

    EXPECT_EQ(Cli({"-o", Out.path()}).ExitCode, 2);  // no file
    EXPECT_EQ(Cli({"-q", "ultra", Source("one.mpg")}).ExitCode, 2);
    EXPECT_EQ(Cli({"--video-bitrate", "100", Source("one.mpg")}).ExitCode, 2);
    EXPECT_EQ(Cli({"--frame-rate", "30", Source("one.mpg")}).ExitCode, 2);
    EXPECT_EQ(Cli({"--no-such-option"}).ExitCode, 2);
    const ProcessResult fit = Cli({"--fit", "zoom", "-o", Out.path(), Source("one.mpg")});
    EXPECT_EQ(fit.ExitCode, 2);
    EXPECT_TRUE(fit.Err.contains("zoom (stretch, bars or crop)")) << fit.Err.toStdString();
    EXPECT_TRUE(QDir(Out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    const QString starred = Out.filePath("out*x");
    const ProcessResult star = Cli({"-o", starred, Source("one.mpg")});
    EXPECT_EQ(star.ExitCode, 2);
    EXPECT_EQ(QString(star.Err),
              "Invalid name of output folder:\n" + starred + "\nInvalid argument\n");
    EXPECT_FALSE(QFileInfo::exists(starred));
    // A lone separator would be the root: refused, named as given.
    const ProcessResult root = Cli({"-o", "/", Source("one.mpg")});
    EXPECT_EQ(root.ExitCode, 2);
    EXPECT_EQ(QString(root.Err), "Invalid name of output folder:\n/\nInvalid argument\n");
    // An empty name is shown as such, with the system's reason.
    const ProcessResult empty = Cli({"-o", "", Source("one.mpg")});
    EXPECT_EQ(empty.ExitCode, 2);
    EXPECT_EQ(QString(empty.Err),
              "Invalid name of output folder:\n(empty)\nNo such file or directory\n");

    const QString deep = Out.filePath("missing/deeper");
    const ProcessResult create = Cli({"-o", deep + "/", Source("one.mpg")});
    EXPECT_EQ(create.ExitCode, 1);
    EXPECT_EQ(QString(create.Err),
              "Cannot create output folder:\n" + deep + "\nNo such file or directory\n");
}

TEST_F(CliProgram, ConvertsTwoClipsWithTheChosenProfile) {
    const QString folder = Out.filePath("phone");  // created, one level
    const ProcessResult r = Cli({"--model", "Nokia 6630", "--quality", "low", "--frame-rate", "25",
                                 "-o", folder + "/", Source("one.mpg"), Source("two.avi")});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QString err = QString::fromUtf8(r.Err);
    EXPECT_TRUE(err.contains("Converting - one.mpg\n"));
    EXPECT_TRUE(err.contains("Converting - two.avi\n"));
    EXPECT_TRUE(err.endsWith("All tasks has been completed!\n")) << err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty());  // the media library's log stays quiet

    for (const QString name : {"one.3gp", "two.3gp"}) {
        const QString path = folder + "/" + name;
        const QJsonObject probe = testmedia::Probe(path);
        const QJsonObject video = testmedia::Stream(probe, 0);
        EXPECT_EQ(video.value("codec_name").toString(), "h263") << name.toStdString();
        EXPECT_EQ(video.value("width").toInt(), 176);
        EXPECT_EQ(video.value("height").toInt(), 144);
        EXPECT_EQ(video.value("r_frame_rate").toString(), "25/1");
        const QJsonObject audio = testmedia::Stream(probe, 1);
        EXPECT_EQ(audio.value("codec_name").toString(), "amr_nb");
        EXPECT_EQ(audio.value("sample_rate").toString(), "8000");
        EXPECT_TRUE(testmedia::DecodesCleanly(path));
    }
}

// The H.263 sample entry names profile 0 and the first level whose limits the
// stream keeps: Low (48 kbit/s, 14.985 fps) level 10, Medium (80 kbit/s) 45,
// Best (256 kbit/s, 25 fps) 30.
TEST_F(CliProgram, H263FilesDeclareTheLevelTheyNeed) {
    const std::pair<QString, int> cases[] = {{"low", 10}, {"medium", 45}, {"best", 30}};
    for (const auto& [quality, level] : cases) {
        const QString folder = Out.filePath(quality);
        const ProcessResult r =
            Cli({"-m", "Nokia 6630", "-q", quality, "-o", folder + "/", Source("two.avi")});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        const QString path = folder + "/two.3gp";
        const std::optional<test_support::H263Declaration> entry =
            test_support::H263SampleEntry(path);
        ASSERT_TRUE(entry) << quality.toStdString();
        EXPECT_EQ(entry->Level, level) << quality.toStdString();
        EXPECT_EQ(entry->Profile, 0);
        EXPECT_TRUE(testmedia::DecodesCleanly(path));
    }
}

// Busy 320x240 pictures at 80 kbit/s reach the coarsest quantiser; the
// encoder's default decisions then overshoot by about 30 %, the chosen ones by
// about 14 %.
TEST_F(CliProgram, BusyPicturesStayNearTheBitrate) {
    const QString source = Out.filePath("busy.avi");
    ASSERT_EQ(test_support::RunFfmpeg(
                  {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=14985/1000:duration=3", "-c:v",
                   "mpeg4", "-q:v", "2"},
                  source)
                  .ExitCode,
              0);
    const ProcessResult r = Cli({"-m", "Nokia N93", "-q", "medium", "-o", Out.path(), source});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QJsonObject video = testmedia::Stream(testmedia::Probe(Out.filePath("busy.3gp")), 0);
    EXPECT_LE(video.value("bit_rate").toString().toInt(), 96000);
}

TEST_F(CliProgram, PreviewWritesStillsAndExpectedSizesAndConvertsNothing) {
    const ProcessResult r = Cli({"--preview", "-m", "Nokia 6630", "--fit", "bars", "--max-size",
                                 "300K", "-o", Out.path(), Source("one.mpg"), Source("two.avi")});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.contains("one.mpg: up to 0.29 Mb, still one.ppm")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("two.avi: up to 0.29 Mb, still two.ppm")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("Total: up to 0.59 Mb")) << r.Out.toStdString();
    EXPECT_EQ(QDir(Out.path()).entryList(QDir::Files), (QStringList{"one.ppm", "two.ppm"}));
    // The phone's 176 x 144, whole RGB rows.
    QFile still(QDir(Out.path()).filePath("two.ppm"));
    ASSERT_TRUE(still.open(QIODevice::ReadOnly));
    const QByteArray bytes = still.readAll();
    ASSERT_TRUE(bytes.startsWith("P6\n176 144\n255\n"));
    EXPECT_EQ(bytes.size(), QByteArray("P6\n176 144\n255\n").size() + 176 * 144 * 3);

    // With subtitles burned in, the still shows them: its lower half changes.
    const QString cues = Out.filePath("../cues.srt");
    QFile cueFile(cues);
    ASSERT_TRUE(cueFile.open(QIODevice::WriteOnly));
    cueFile.write("1\n00:00:00,000 --> 00:10:00,000\nWWWWWWWW\n");
    cueFile.close();
    QTemporaryDir subtitled;
    const ProcessResult withCues =
        Cli({"--preview", "-m", "Nokia 6630", "--fit", "bars", "--subtitle-file", cues, "-o",
             subtitled.path(), Source("two.avi")});
    QFile::remove(cues);
    ASSERT_EQ(withCues.ExitCode, 0) << withCues.Err.toStdString();
    QFile cueStill(QDir(subtitled.path()).filePath("two.ppm"));
    ASSERT_TRUE(cueStill.open(QIODevice::ReadOnly));
    const QByteArray cueBytes = cueStill.readAll();
    ASSERT_EQ(cueBytes.size(), bytes.size());
    const qsizetype middle = bytes.size() / 2;
    EXPECT_EQ(cueBytes.left(middle), bytes.left(middle));
    EXPECT_NE(cueBytes.mid(middle), bytes.mid(middle));
}

TEST_F(CliProgram, DefaultFolderIsInTheHomeFolder) {
    const ProcessResult r = Cli({"-m", "17", Source("two.avi")});  // Motorola E398, MPEG-4
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
#ifdef _WIN32
    // The Windows default is C:\\3gpVideo, whatever the home folder.
    const QString path = QStringLiteral("C:/3gpVideo/two.3gp");
#else
    const QString path = Home.filePath("3gpVideo/two.3gp");
#endif
    const QJsonObject video = testmedia::Stream(testmedia::Probe(path), 0);
    EXPECT_EQ(video.value("codec_name").toString(), "mpeg4");
    EXPECT_EQ(video.value("width").toInt(), 176);
#ifdef _WIN32
    QFile::remove(path);
#endif
}

TEST_F(CliProgram, FailingClipEndsTheRunWithStatus1) {
    const ProcessResult r = Cli({"-o", Out.path(), Out.filePath("absent.mpg"), Source("one.mpg")});
    EXPECT_EQ(r.ExitCode, 1);
    const QString err = QString::fromUtf8(r.Err);
    EXPECT_TRUE(err.contains("Converting - absent.mpg\nCould not open source file\n"))
        << err.toStdString();
    EXPECT_FALSE(err.contains("All tasks has been completed!"));
    // The clip after the failure is not converted, and named as such.
    EXPECT_TRUE(err.endsWith("Not converted: " + Source("one.mpg") + "\n")) << err.toStdString();
    EXPECT_EQ(err.count("one.mpg"), 1) << err.toStdString();
    EXPECT_TRUE(QDir(Out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(CliProgram, EverySourceKindConverts) {
    struct Kind {
        const char* name;
        const char* video;
        const char* audio;
    };
    const Kind kinds[] = {
        {"k.mpg", "mpeg1video", "mp2"}, {"k.avi", "mpeg4", "libmp3lame"},
        {"k.wmv", "wmv2", "wmav2"},     {"k.flv", "flv1", "libmp3lame"},
        {"k.mov", "libx264", "aac"},    {"k.mp4", "libx264", "aac"},
        {"picture.avi", "mpeg4", ""},   {"sound.mp3", "", "libmp3lame"},
    };
    QTemporaryDir sources;
    QStringList arguments{"-m", "Nokia 6630", "-o", Out.path()};
    for (const Kind& kind : kinds) {
        const QString path = sources.filePath(kind.name);
        ASSERT_TRUE(testmedia::MakeClip(path, 1, "176x144", 25, kind.video, kind.audio, 44100))
            << kind.name;
        arguments << path;
    }
    const QString amr = sources.filePath("k.3gp");
    ASSERT_EQ(
        testmedia::Run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                  "testsrc=size=176x144:rate=15:duration=1", "-f", "lavfi", "-i",
                                  "sine=sample_rate=8000:duration=1", "-c:v", "h263", "-c:a",
                                  "libopencore_amrnb", "-ar", "8000", "-ac", "1", amr})
            .ExitCode,
        0);
    arguments << amr;

    const ProcessResult r = Cli(arguments);
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    for (const char* name : {"k.3gp", "picture.3gp", "sound.3gp"}) {
        EXPECT_TRUE(testmedia::DecodesCleanly(Out.filePath(name))) << name;
    }
    // k.mpg ... k.3gp share one output name: each takes the next free number.
    EXPECT_TRUE(testmedia::DecodesCleanly(Out.filePath("k (7).3gp")));
    EXPECT_EQ(QDir(Out.path()).entryList(QDir::Files | QDir::Hidden).size(), 9);

    // A .3gp converted into its own folder is refused, and left as it was.
    const QByteArray before = [&] {
        QFile f(Out.filePath("k.3gp"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const ProcessResult same = Cli({"-o", Out.path(), Out.filePath("k.3gp")});
    EXPECT_EQ(same.ExitCode, 1);
    EXPECT_TRUE(same.Err.contains("Source and destination are the same file\n"))
        << same.Err.toStdString();
    QFile after(Out.filePath("k.3gp"));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

#ifndef _WIN32  // SIGINT; scripts/windows/test.sh sends Ctrl+C under Wine
TEST_F(CliProgram, CtrlCEndsTheCurrentFileProperly) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", Home.path());
    process.setProcessEnvironment(env);
    process.start(Program, {"-o", Out.path(), Source("long.avi"), Source("one.mpg")});
    ASSERT_TRUE(process.waitForStarted());
    process.setReadChannel(QProcess::StandardError);  // what waitForReadyRead watches
    QByteArray err;
    // Once some of it is converted: a stop before the first picture leaves
    // no file.
    const auto converting = [&err] {
        const qsizetype at = err.indexOf("Converting - long.avi");
        return at >= 0 && err.indexOf('%', at) > at;
    };
    while (!converting() && process.state() == QProcess::Running) {
        process.waitForReadyRead(1000);
        err += process.readAllStandardError();
    }
    ASSERT_TRUE(converting()) << err.toStdString();
    const qint64 pid = process.processId();
    ASSERT_GT(pid, 0) << err.toStdString();  // kill(0, ...) would reach the whole group
    ::kill(static_cast<pid_t>(pid), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130) << err.toStdString();
    EXPECT_TRUE(err.endsWith("Process stopped.\n")) << err.toStdString();

    const QString stopped = Out.filePath("long.3gp");
    const double seconds = testmedia::DurationOf(testmedia::Probe(stopped));
    EXPECT_GT(seconds, 0);
    EXPECT_LT(seconds, 29);
    EXPECT_TRUE(testmedia::DecodesCleanly(stopped));
    EXPECT_FALSE(QFileInfo::exists(Out.filePath("one.3gp")));
}
#endif

}  // namespace
