// Start-up and shutdown: errors that end the start-up, a normal run to the
// close box, and the wait for a worker that keeps calling the window while
// it ends.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <stdexcept>

#include "AppTitle.h"
#include "Dynamicavimport.h"
#include "FindControl.h"
#include "KestovarApplication.h"
#include "MainFrm.h"
#include "ShellTestSupport.h"
#include "Startup.h"
#include "WorkerShutdown.h"

using test_support::Control;

// Lives on the GUI thread and counts the calls a worker makes to it.
class CallCounter : public QObject {
    Q_OBJECT
public:
    int Calls = 0;
    bool OnGuiThread = true;
public slots:
    void Report() {
        ++Calls;
        OnGuiThread = OnGuiThread && QThread::currentThread() == qApp->thread();
    }
};

// A worker as the conversion worker behaves towards the window: every report
// is a blocking queued call, and after a stop request it still reports its end
// before it finishes.
class BlockingReporter : public QThread {
public:
    explicit BlockingReporter(CallCounter& counter) : Counter(counter) {}
    std::atomic<bool> StopRequested{false};
    std::atomic<int> Made{0};

protected:
    void run() override {
        while (!StopRequested) Call();
        for (int i = 0; i < 5; ++i) Call();
    }

private:
    void Call() {
        QMetaObject::invokeMethod(&Counter, "Report", Qt::BlockingQueuedConnection);
        ++Made;
    }
    CallCounter& Counter;
};

// An object whose event handler throws.
class Thrower : public QObject {
protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw std::runtime_error("Something went wrong");
        return QObject::event(event);
    }
};

class StartupShutdownTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporarySettings> settings;

private slots:
    void init() { settings = std::make_unique<TemporarySettings>(); }
    void cleanup() { settings.reset(); }

    void missingLibraryIsNamedAndEndsTheProgram() {
        QString title, text;
        OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
        });
        const std::vector<std::string> problems = {
            "The library file \"libavcodec.so.59\" could not be loaded"};
        QCOMPARE(RunDesktopProgram(*qApp, problems), 1);
        QCOMPARE(title, QString(ApplicationTitle));
        QVERIFY(text.contains("libavcodec.so.59"));
        QCOMPARE(MainForm, nullptr);
        QVERIFY(!QFile::exists(settings->FilePath()));
    }

    void storedValueOfTheWrongTypeEndsTheStartUp() {
        settings->WriteFile("PhoneManufacturer=1\nQuality=high\n");
        QString title, text;
        OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            QCOMPARE(box->icon(), QMessageBox::Critical);
        });
        QCOMPARE(RunDesktopProgram(*qApp, {}), 1);
        QCOMPARE(title, QString(ApplicationTitle));
        QCOMPARE(text, QString("Invalid data type for 'Quality'"));
        QCOMPARE(MainForm, nullptr);
        // The stored values are not overwritten by a window that never ran.
        QSettings stored(settings->FilePath(), QSettings::IniFormat);
        QCOMPARE(stored.value("Quality").toString(), QString("high"));
        QVERIFY(!stored.contains("OutputFolder"));
    }

    void normalRunEndsByExitAndSavesTheSettings() {
        TMainForm* seen = nullptr;
        QTimer::singleShot(100, qApp, [&] {
            seen = MainForm;
            QVERIFY(seen && seen->isVisible());
            Control<QAction>(seen, "FileExit")->trigger();
        });
        QCOMPARE(RunDesktopProgram(*qApp, AV.Problems()), 0);
        QVERIFY(seen);
        QCOMPARE(MainForm, nullptr);
        QSettings stored(settings->FilePath(), QSettings::IniFormat);
        QCOMPARE(stored.allKeys().size(), 14);  // the eleven, SizeLimit, EvenLoudness, Subtitles
    }

    void errorInAnEventHandlerIsShownAndTheProgramGoesOn() {
        auto* app = qobject_cast<TKestovarApplication*>(qApp);
        QVERIFY(app);
        Thrower thrower;
        QString text;
        OnNextModal([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) text = box->text();
        });
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(text, QString("Something went wrong."));
    }

    void waitServesTheWorkersBlockingCalls() {
        CallCounter counter;
        BlockingReporter worker(counter);
        worker.start();
        QTRY_VERIFY(counter.Calls > 3);
        worker.StopRequested = true;
        WaitForWorkerEnd(&worker);
        QVERIFY(worker.isFinished());
        QCOMPARE(counter.Calls, worker.Made.load());
        QVERIFY(counter.OnGuiThread);
    }

    void waitReturnsForAFinishedOrMissingWorker() {
        WaitForWorkerEnd(nullptr);
        CallCounter counter;
        BlockingReporter worker(counter);
        worker.StopRequested = true;
        worker.start();
        QTRY_VERIFY(worker.isFinished());
        WaitForWorkerEnd(&worker);
        QCOMPARE(counter.Calls, 5);
    }

    void waitCopesWithAWorkerThatFreesItself() {
        CallCounter counter;
        auto* worker = new BlockingReporter(counter);
        connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        QPointer<QThread> watched(worker);
        worker->start();
        QTRY_VERIFY(counter.Calls > 0);
        worker->StopRequested = true;
        WaitForWorkerEnd(worker);
        QTRY_VERIFY(watched.isNull());
    }
};

int main(int argc, char** argv) {
    TKestovarApplication app(argc, argv);
    StartupShutdownTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "StartupShutdownTest.moc"
