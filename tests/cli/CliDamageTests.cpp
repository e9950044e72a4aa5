// kestovar3gp-cli over damaged sources: a clip with damage passed over counts
// as converted with a warning, one with nothing decodable fails, and a read
// error in the middle of a source (injected by a preloaded library) fails it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "DamagedClips.h"
#include "RunProgram.h"
#include "TestMedia.h"

namespace {

using testmedia::ProcessResult;

class CliDamage : public ::testing::Test {
protected:
    ProcessResult Cli(const QStringList& files,
                      QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
        env.insert("HOME", Home.path());
        QStringList arguments{"-m", "Nokia 6630", "-q", "low", "-o", Out.path()};
        return test_support::RunProgram(KESTOVAR_CLI_PATH, arguments + files, env);
    }
    QStringList Outputs() const { return QDir(Out.path()).entryList(QDir::Files); }

    QTemporaryDir Sources;
    QTemporaryDir Home;
    QTemporaryDir Out;
};

}  // namespace

TEST_F(CliDamage, DamagePassedOverWarnsAndNothingDecodableFails) {
    const QString scratched =
        test_support::MakeDamagedSoundClip(Sources.path(), "scratched.mp4", 3, 1.5, 1.6);
    const QString headerOnly = test_support::MakeHeaderOnlyMp4(Sources.path());
    ASSERT_FALSE(scratched.isEmpty());
    ASSERT_FALSE(headerOnly.isEmpty());

    const ProcessResult passed = Cli({scratched});
    EXPECT_EQ(passed.ExitCode, 0) << passed.Err.toStdString();
    EXPECT_TRUE(passed.Err.contains("Warning: Damaged parts of scratched.mp4 were passed over\n"))
        << passed.Err.toStdString();
    EXPECT_TRUE(
        passed.Err.contains("All tasks has been completed!\n"
                            "Damaged parts were passed over in: scratched.mp4\n"))
        << passed.Err.toStdString();
    EXPECT_EQ(Outputs(), QStringList{"scratched.3gp"});

    const ProcessResult failed = Cli({headerOnly});
    EXPECT_EQ(failed.ExitCode, 1);
    EXPECT_TRUE(failed.Err.contains("The source file has neither pictures nor sound\n"))
        << failed.Err.toStdString();
    EXPECT_EQ(Outputs(), QStringList{"scratched.3gp"});
}

#ifndef _WIN32  // a preloaded library (LD_PRELOAD)
TEST_F(CliDamage, ReadErrorInTheMiddleFailsTheFile) {
    const QString source = Sources.filePath("long.avi");
    ASSERT_TRUE(testmedia::MakeClip(source, 6, "160x120", 25, "mpeg4", "libmp3lame", 44100));
    const qint64 size = QFileInfo(source).size();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", KESTOVAR_FAILING_READ_LIBRARY);
    env.insert("KESTOVAR_FAILING_READ_PATH", source);
    // The sanitizer's runtime need not come first when the test's own
    // library is preloaded as well.
    env.insert("ASAN_OPTIONS",
               env.value("ASAN_OPTIONS") + QStringLiteral(":verify_asan_link_order=0"));
    env.insert("KESTOVAR_FAILING_READ_OFFSET", QString::number(size / 2));
    const ProcessResult broken = Cli({source}, env);
    EXPECT_EQ(broken.ExitCode, 1) << broken.Err.toStdString();
    EXPECT_TRUE(broken.Err.contains("Error while reading source file\n"))
        << broken.Err.toStdString();
    EXPECT_TRUE(Outputs().isEmpty()) << Outputs().join(' ').toStdString();

    // Past the end nothing fails: the same library lets a whole read through.
    env.insert("KESTOVAR_FAILING_READ_OFFSET", QString::number(size + 1));
    const ProcessResult whole = Cli({source}, env);
    EXPECT_EQ(whole.ExitCode, 0) << whole.Err.toStdString();
    EXPECT_EQ(Outputs(), QStringList{"long.3gp"});
}
#endif
