// kestovar3gp-cli over damaged sources: a clip with damage passed over counts
// as converted with a warning, one with nothing decodable fails, and a read
// error in the middle of a source (injected by a preloaded library) fails it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <iostream>

#include "DamagedClips.h"
#include "RunProgram.h"
#include "TestClips.h"
#include "TestMedia.h"

namespace {

using testmedia::ProcessResult;

class CliDamage : public ::testing::Test {
protected:
    ProcessResult Cli(const QStringList& files,
                      QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
        env.insert("HOME", Home.path());
        QStringList arguments{"-m", "Nokia 6630", "-q", "low", "-o", Out.path()};
        return test_support::RunTextProgram(KESTOVAR_CLI_PATH, arguments + files, env);
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

// A source cut short converts up to where it ends, with a warning that says
// so (not as damage); headers cut short, or never found, give the reason
// that their data is unusable, not a disk fault or an end of file.
TEST_F(CliDamage, CutShortSourcesSayWhereTheyEnd) {
    const QString cut = test_support::MakeCutShortMp4(Sources.path(), 10);
    ASSERT_FALSE(cut.isEmpty());
    const ProcessResult shorter = Cli({cut});
    EXPECT_EQ(shorter.ExitCode, 0) << shorter.Err.toStdString();
    const QRegularExpression warning(
        "Warning: cut-short.mp4 ends at 0:00:0[4-6] of 0:00:10: the output is shorter\n");
    EXPECT_TRUE(QString(shorter.Err).contains(warning)) << shorter.Err.toStdString();
    EXPECT_FALSE(shorter.Err.contains("Damaged")) << shorter.Err.toStdString();
    EXPECT_TRUE(
        QString(shorter.Err)
            .contains(QRegularExpression(
                "All tasks has been completed!\ncut-short.mp4 ends at 0:00:0[4-6] of 0:00:10")))
        << shorter.Err.toStdString();
    EXPECT_EQ(Outputs(), QStringList{"cut-short.3gp"});

    QStringList damaged{test_support::MakeFlacCutInItsHeader(Sources.path()),
                        test_support::MakeOggWithoutPages(Sources.path())};
    if (const QString why = test_support::SkipWithoutEncoder("libvpx"); !why.isEmpty()) {
        std::cout << "[ LEFT OUT ] the WebM cut in its header: " << why.toStdString() << "\n";
    } else {
        damaged.prepend(test_support::MakeWebmCutInItsHeader(Sources.path()));
    }
    for (const QString& source : damaged) {
        ASSERT_FALSE(source.isEmpty());
        const ProcessResult failed = Cli({source});
        EXPECT_EQ(failed.ExitCode, 1);
        EXPECT_TRUE(failed.Err.endsWith(
            "Could not open source file\nInvalid data in the source: " + source.toUtf8() + "\n"))
            << failed.Err.toStdString();
    }
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
    EXPECT_TRUE(broken.Err.contains("Error while reading source file\nInput/output error: "))
        << broken.Err.toStdString();
    EXPECT_TRUE(Outputs().isEmpty()) << Outputs().join(' ').toStdString();

    // Past the end nothing fails: the same library lets a whole read through.
    env.insert("KESTOVAR_FAILING_READ_OFFSET", QString::number(size + 1));
    const ProcessResult whole = Cli({source}, env);
    EXPECT_EQ(whole.ExitCode, 0) << whole.Err.toStdString();
    EXPECT_EQ(Outputs(), QStringList{"long.3gp"});
}
#endif
