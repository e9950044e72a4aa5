// kestovar3gp-cli with the clips people hold today: the sound track chosen
// with --audio-track, and the HDR remark that --verbose prints.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "RunProgram.h"
#include "TestClips.h"

namespace {

const QString Program = QStringLiteral(KESTOVAR_CLI_PATH);

class CliMedia : public ::testing::Test {
protected:
    test_support::ProgramResult Cli(QStringList arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", Home.path());
        arguments.prepend(Out.path());
        arguments.prepend("-o");
        return test_support::RunTextProgram(Program, arguments, env);
    }
    QString Make(const QString& name, const QStringList& arguments) {
        const QString path = Sources.filePath(name);
        const auto made = test_support::RunFfmpeg(arguments, path);
        EXPECT_EQ(made.ExitCode, 0) << made.Err.toStdString();
        return path;
    }
    QStringList Outputs() const { return QDir(Out.path()).entryList(QDir::Files); }

    QTemporaryDir Home;
    QTemporaryDir Sources;
    QTemporaryDir Out;
};

}  // namespace

// A track number the file lacks is bad usage (exit 2) and nothing is
// written; one it has converts.
TEST_F(CliMedia, AudioTrackOutOfRangeIsRefused) {
    const QString source =
        Make("tracks.mkv", {"-f",   "lavfi",    "-i",   "testsrc=size=160x120:rate=25:duration=0.5",
                            "-f",   "lavfi",    "-i",   "sine=duration=0.5",
                            "-f",   "lavfi",    "-i",   "sine=frequency=880:duration=0.5",
                            "-map", "0",        "-map", "1",
                            "-map", "2",        "-c:v", "mpeg4",
                            "-c:a", "pcm_s16le"});
    const auto refused = Cli({"--audio-track", "3", source});
    EXPECT_EQ(refused.ExitCode, 2);
    EXPECT_TRUE(refused.Err.contains("There is no sound track 3 in")) << refused.Err.constData();
    EXPECT_TRUE(Outputs().isEmpty());
    EXPECT_EQ(Cli({"--audio-track", "0", source}).ExitCode, 2);
    const auto converted = Cli({"--audio-track", "2", source});
    EXPECT_EQ(converted.ExitCode, 0) << converted.Err.constData();
    EXPECT_EQ(Outputs(), QStringList{"tracks.3gp"});
}

// The remark on an HLG clip comes once, and only with --verbose.
TEST_F(CliMedia, HdrRemarkOnlyWhenVerbose) {
    if (const QString why = test_support::SkipWithoutEncoder("libx265"); !why.isEmpty()) {
        GTEST_SKIP() << why.toStdString();
    }
    const QString source =
        Make("hlg.mkv", {"-f", "lavfi", "-i", "smptehdbars=s=320x180:r=25:d=0.2", "-vf",
                         "zscale=tin=bt709:min=bt709:pin=bt709:rin=tv:t=arib-std-b67:m=bt2020nc:"
                         "p=bt2020:r=tv:npl=203,format=yuv420p10le",
                         "-c:v", "libx265", "-x265-params", "log-level=error", "-color_primaries",
                         "bt2020", "-color_trc", "arib-std-b67", "-colorspace", "bt2020nc"});
    const auto quiet = Cli({source});
    EXPECT_EQ(quiet.ExitCode, 0) << quiet.Err.constData();
    EXPECT_FALSE(quiet.Err.contains("HDR picture"));
    const auto verbose = Cli({"--verbose", source});
    EXPECT_EQ(verbose.ExitCode, 0) << verbose.Err.constData();
    EXPECT_EQ(verbose.Err.count("HDR picture (HLG) mapped to SDR\n"), 1) << verbose.Err.constData();
}
