// The desktop program's command line: --help, --version and a wrong option
// from the program itself (without a display), and files given at start-up
// listed in their order as the open dialog lists them.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "DesktopCommandLine.h"
#include "Dynamicavimport.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "RunProgram.h"
#include "ShellTestSupport.h"
#include "Startup.h"
#include "TestClips.h"

using test_support::Control;
using test_support::ProgramResult;

namespace {

// The desktop program with no display at all: what it prints must not need one.
ProgramResult RunDesktop(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return test_support::RunProgram(QStringLiteral(KESTOVAR_BINARY_DIR "/app/kestovar3gp"),
                                    arguments, environment, 30000);
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void helpVersionAndAWrongOption() {
        const ProgramResult help = RunDesktop({"--help"});
        QCOMPARE(help.ExitCode, 0);
        QVERIFY2(help.Out.startsWith("Usage: kestovar3gp [options] [FILE...]\n"), help.Out);
        QVERIFY(help.Out.contains("--version"));

        const ProgramResult version = RunDesktop({"--version"});
        QCOMPARE(version.ExitCode, 0);
        QVERIFY2(version.Out.startsWith("kestovar3gp 1.1.0\nFFmpeg "), version.Out);
        QVERIFY(version.Out.contains("libavcodec 59."));

        const ProgramResult wrong = RunDesktop({"--no-such-option", "clip.avi"});
        QCOMPARE(wrong.ExitCode, 2);
        QVERIFY2(wrong.Err.startsWith("kestovar3gp: Unknown option 'no-such-option'."), wrong.Err);
        QVERIFY(wrong.Err.contains("Usage: kestovar3gp"));
        QVERIFY(wrong.Out.isEmpty());
    }

    void filesGivenAtStartUpAreListedInOrder() {
        TemporarySettings settings;
        QTemporaryDir media;
        const QString first = media.filePath("first.avi");
        QVERIFY(!test_support::MakeMpeg4PcmClip(first, 1, 160, 120, 22050).isEmpty());
        // A name that looks like an option, given relative to the current
        // folder after "--".
        QVERIFY(QFile::copy(first, media.filePath("-second.avi")));
        const QString junk = media.filePath("junk.avi");
        {
            QFile file(junk);
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < 400; ++i) file.write("this is no video at all\n");
        }
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(media.path()));
        const DesktopParseResult parsed = ParseDesktopCommandLine(
            {"kestovar3gp", first, "--", "-second.avi", junk, "./first.avi"});
        QDir::setCurrent(before);
        QVERIFY2(parsed.Error.isEmpty(), qPrintable(parsed.Error));
        const QString second = QDir::toNativeSeparators(media.filePath("-second.avi"));
        QCOMPARE(parsed.Request.Files, (QStringList{first, second, junk, first}));

        QStringList listed;
        bool junkHasZeros = false;
        int step = 0;
        QTimer::singleShot(100, qApp, [&] {
            TMainForm* form = MainForm;
            QVERIFY(form && form->isVisible());
            for (const auto& clip : form->OpenClipPage()->Clips()) listed.append(clip->SourcePath);
            if (form->OpenClipPage()->Clips().size() == 3) {
                const SourceClipItem& item = *form->OpenClipPage()->Clips()[2];
                junkHasZeros = item.SizeMb == 0 && item.SourceDuration.count() == 0 &&
                               item.SourceWidth == 0 && item.SourceHeight == 0;
            }
            step = form->CurrentStep();
            Control<QAction>(form, "FileExit")->trigger();
        });
        QCOMPARE(RunDesktopProgram(*qApp, AV.Problems(), parsed.Request.Files), 0);
        // The same file twice is listed once, as Add lists it.
        QCOMPARE(listed, (QStringList{first, second, junk}));
        QVERIFY(junkHasZeros);
        QCOMPARE(step, 1);
    }
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
