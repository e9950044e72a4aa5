// Closing the main window during a real conversion: the window saves the
// settings, stops the worker without a completion message and waits for it,
// serving the worker's blocking calls, before the clip list goes.
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "CompressThread.h"
#include "ConfigureWorker.h"
#include "ConvertPage.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "RunProgram.h"
#include "ShellTestSupport.h"
#include "TestClips.h"
#include "WorkerHost.h"

// Stands in for the window's own report procedures, on the window's thread.
class RecordingHost : public TWorkerHost {
public:
    QObject* Object = nullptr;
    int Statuses = 0, Progresses = 0, Errors = 0, Completions = 0, Detaches = 0, Idles = 0;
    bool AllOnGuiThread = true;

    QObject* HostObject() override { return Object; }
    void ShowStatus(const StatusReport&) override { Note(Statuses); }
    void ShowProgress(int32_t, int32_t) override { Note(Progresses); }
    void ShowError(const QString&) override { Note(Errors); }
    void ShowCompletion(const QString&) override { Note(Completions); }
    void DetachFromWindow(TCompressThread* worker) override {
        Note(Detaches);
        if (MainForm && MainForm->ConvertPage()->CurrentWorker() == worker)
            MainForm->ConvertPage()->SetCurrentWorker(nullptr);
    }
    void EnterIdleState() override { Note(Idles); }

private:
    void Note(int& counter) {
        ++counter;
        AllOnGuiThread = AllOnGuiThread && QThread::currentThread() == qApp->thread();
    }
};

class WindowShutdownTest : public QObject {
    Q_OBJECT

    QTemporaryDir media;
    QString clipPath;

private slots:
    void initTestCase() {
        clipPath = media.filePath("long clip.avi");
        QVERIFY(!test_support::MakeMpeg4PcmClip(clipPath, 20, 320, 240, 44100).isEmpty());
    }

    void closingDuringARunWaitsAndShowsNothing() {
        TemporarySettings settings;
        const QString outFolder = media.filePath("out");
        QVERIFY(QDir().mkpath(outFolder));
        RecordingHost host;
        QPointer<TCompressThread> running;
        {
            auto form = std::make_unique<TMainForm>();
            host.Object = form.get();
            // The clip as step 1 lists it: its path, name and 20 seconds.
            form->OpenClipPage()->FileOpenClipAccept(clipPath);
            QCOMPARE(form->OpenClipPage()->Clips().size(), std::size_t{1});
            QCOMPARE(form->OpenClipPage()->Clips().front()->SourceDuration.count(), 20);

            auto* worker = new TCompressThread(form->OpenClipPage()->Clips(), outFolder, host);
            QVERIFY(ConfigureWorker(form->Selection(), *worker));
            form->ConvertPage()->SetCurrentWorker(worker);
            running = worker;
            worker->start(worker->WorkPriority);
            // Well into the clip.
            QTRY_VERIFY_WITH_TIMEOUT(host.Progresses >= 3, 20000);
            QVERIFY(!worker->isFinished());
            form.reset();
        }
        // The worker had ended before the window and its clip list were gone,
        // and reported no completion.
        QCOMPARE(host.Completions, 0);
        QCOMPARE(host.Errors, 0);
        QCOMPARE(host.Detaches, 1);
        QVERIFY(host.Idles >= 1);
        QVERIFY(host.AllOnGuiThread);
        QTRY_VERIFY(running.isNull());
        // The current file was ended properly, shorter than the source.
        const QFileInfo output(outFolder + "/long clip.3gp");
        QVERIFY(output.exists());
        QVERIFY(output.size() > 0);
        const test_support::ProgramResult probe =
            test_support::RunProgram("ffprobe",
                                     {"-v", "error", "-show_entries", "format=duration", "-of",
                                      "default=nw=1:nk=1", output.filePath()},
                                     std::nullopt, 20000);
        QCOMPARE(probe.ExitCode, 0);
        const double seconds = probe.Out.trimmed().toDouble();
        QVERIFY2(seconds > 0 && seconds < 19.5, qPrintable(QString::number(seconds)));
        // The settings were written as well.
        QSettings stored(settings.FilePath(), QSettings::IniFormat);
        // The eleven values, SizeLimit, EvenLoudness, Subtitles, and the folder
        // of the clip added (LastSourceFolder).
        QCOMPARE(stored.allKeys().size(), 15);
    }
};

QTEST_MAIN(WindowShutdownTest)
#include "WindowShutdownTest.moc"
