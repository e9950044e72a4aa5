// Closing the main window during a run, as the close box does it: nothing is
// asked, the settings are written, the worker is stopped without a message
// and waited for before the clips and the window go. Also built with the
// address and thread sanitizers.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

#include <signal.h>
#include <unistd.h>

#include "CompressThread.h"
#include "ConvertPage.h"
#include "ConvertTestSupport.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "Startup.h"

using test_support::Control;

using namespace convert_test;

class ConvertCloseTest : public QObject {
    Q_OBJECT

    QTemporaryDir media;
    QString clip;

    // Starts a run of the long clip into folder and returns once the first
    // clip's progress shows.
    std::unique_ptr<TMainForm> RunningWindow(const QString& folder,
                                             QPointer<TCompressThread>& worker) {
        auto form = NewMainForm();
        form->OpenClipPage()->FileOpenClipAccept(clip);
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(folder);
        form->show();
        Control<QPushButton>(form, "btnStartStop")->click();
        worker = form->ConvertPage()->CurrentWorker();
        if (!worker) return form;
        if (!QTest::qWaitFor(
                [&] {
                    return Control<QProgressBar>(form, "ConvertProgress")->value() > 0 ||
                           worker.isNull();
                },
                60000))
            qWarning("The run showed no progress");
        return form;
    }

    void CheckStoppedOutput(const QString& folder) {
        const QString output = QDir(folder).filePath("long clip.3gp");
        QString complaint;
        QVERIFY2(DecodesCleanly(output, &complaint), qPrintable(complaint));
        const double seconds = DurationOf(output);
        QVERIFY2(seconds > 0 && seconds < 15, qPrintable(QString::number(seconds)));
    }

private slots:
    void initTestCase() {
        QVERIFY(media.isValid());
        clip = MakeClip(media.filePath("long clip.avi"), 20, 320, 240);
        QVERIFY(!clip.isEmpty());
    }

    void closingDuringARun() {
        MessageBoxAnswerer person;
        const QString folder = media.filePath("closed");
        QPointer<TCompressThread> worker;
        auto form = RunningWindow(folder, worker);
        QVERIFY(worker);
        QVERIFY(Control<QProgressBar>(form, "ConvertProgress")->value() > 0);
        QVERIFY(!worker->isFinished());

        // The close box; the application then destroys the window.
        form->close();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        form.reset();
        // The worker had ended before the window went, and said nothing.
        QVERIFY(worker.isNull() || worker->isFinished());
        QCoreApplication::processEvents();
        QTRY_VERIFY(worker.isNull());
        QVERIFY(person.Messages.isEmpty());

        QSettings stored(SettingsFilePath(), QSettings::NativeFormat);
        QCOMPARE(stored.value("OutputFolder").toString(), folder);
        // The eleven values, SizeLimit, EvenLoudness, Subtitles, and the folder
        // of the clip added (LastSourceFolder).
        QCOMPARE(stored.allKeys().size(), 15);
        CheckStoppedOutput(folder);
    }

    void closingWhileAStoppedWorkerEnds() {
        MessageBoxAnswerer person;
        const QString folder = media.filePath("stopped then closed");
        QPointer<TCompressThread> worker;
        auto form = RunningWindow(folder, worker);
        QVERIFY(worker);
        Control<QPushButton>(form, "btnStartStop")->click();
        QVERIFY(form->ConvertPage()->CurrentWorker() == nullptr);
        // The stopped worker cannot have ended: its last reports need this
        // thread. The window goes while it ends its file.
        QVERIFY(worker);
        form->close();
        form.reset();
        QVERIFY(worker.isNull() || worker->isFinished());
        QTRY_VERIFY(worker.isNull());
        // "Process stopped." is not shown while the window closes.
        QVERIFY(person.Messages.isEmpty());
        CheckStoppedOutput(folder);
    }

    // The program's own start-up and shutdown: the close box ends the message
    // loop, and the windows' destruction waits for the worker before the
    // program returns (and the media libraries are released after main).
    void closingTheProgramDuringARun() {
        MessageBoxAnswerer person;
        const QString folder = media.filePath("program closed");
        QPointer<TCompressThread> worker;
        bool closed = false;
        QTimer driver;
        driver.setInterval(10);
        connect(&driver, &QTimer::timeout, this, [&] {
            if (MainForm == nullptr || !MainForm->isVisible() || closed) return;
            if (!worker) {
                MainForm->ConvertPage()->SetRunPriority(QThread::NormalPriority);
                MainForm->OpenClipPage()->FileOpenClipAccept(clip);
                Control<QAction>(MainForm, "ConvertStep")->trigger();
                Control<QLineEdit>(MainForm, "ebOutFolder")->setText(folder);
                Control<QPushButton>(MainForm, "btnStartStop")->click();
                worker = MainForm->ConvertPage()->CurrentWorker();
                if (!worker) closed = true;
            } else if (Control<QProgressBar>(MainForm, "ConvertProgress")->value() > 0) {
                closed = true;
                MainForm->close();
            }
        });
        driver.start();
        const int exitCode = RunDesktopProgram(*qApp, {});
        driver.stop();
        QCOMPARE(exitCode, 0);
        QVERIFY(closed);
        QVERIFY(MainForm == nullptr);
        QVERIFY(worker.isNull() || worker->isFinished());
        QTRY_VERIFY(worker.isNull());
        QVERIFY(person.Messages.isEmpty());
        QSettings stored(SettingsFilePath(), QSettings::NativeFormat);
        QCOMPARE(stored.value("OutputFolder").toString(), folder);
        CheckStoppedOutput(folder);
    }

    // The desktop session ends (SIGTERM, or SIGHUP from the session's
    // leader): the program stops the run as Stop does and ends; the clip
    // being converted is a complete, shorter file and no temporary file stays.
    void endingTheSessionDuringARun_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int{SIGTERM};
        QTest::newRow("SIGHUP") << int{SIGHUP};
    }
    void endingTheSessionDuringARun() {
        QFETCH(int, signalNumber);
        MessageBoxAnswerer person;
        const QString folder = media.filePath(QStringLiteral("session ended %1").arg(signalNumber));
        QPointer<TCompressThread> worker;
        bool signalled = false;
        QTimer driver;
        driver.setInterval(10);
        connect(&driver, &QTimer::timeout, this, [&] {
            if (MainForm == nullptr || !MainForm->isVisible() || signalled) return;
            if (!worker) {
                MainForm->ConvertPage()->SetRunPriority(QThread::NormalPriority);
                MainForm->OpenClipPage()->FileOpenClipAccept(clip);
                Control<QAction>(MainForm, "ConvertStep")->trigger();
                Control<QLineEdit>(MainForm, "ebOutFolder")->setText(folder);
                Control<QPushButton>(MainForm, "btnStartStop")->click();
                worker = MainForm->ConvertPage()->CurrentWorker();
                if (!worker) signalled = true;
            } else if (Control<QProgressBar>(MainForm, "ConvertProgress")->value() > 0) {
                signalled = true;
                // As the session's end sends it: to the process, not a window.
                ::kill(::getpid(), signalNumber);
            }
        });
        driver.start();
        const int exitCode = RunDesktopProgram(*qApp, {});
        driver.stop();
        QCOMPARE(exitCode, 0);
        QVERIFY(signalled);
        QVERIFY(MainForm == nullptr);
        QVERIFY(worker.isNull() || worker->isFinished());
        QTRY_VERIFY(worker.isNull());
        QVERIFY(person.Messages.isEmpty());
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList{QStringLiteral("long clip.3gp")});
        CheckStoppedOutput(folder);
    }
};

KESTOVAR_CONVERT_TEST_MAIN(ConvertCloseTest)
#include "ConvertCloseTest.moc"
