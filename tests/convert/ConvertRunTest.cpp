// Runs through the window as a person makes them: to the end, stopped half
// way, and ended by a clip that cannot be read; with the progress display
// and the outputs read back by ffmpeg.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>

#include "ClipProbe.h"
#include "CompressThread.h"
#include "ConvertPage.h"
#include "ConvertTestSupport.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "ProfileSelection.h"
#include "RunController.h"
#include "SourceClipsGrid.h"
#include "TimeFormat.h"

using test_support::Control;

using namespace convert_test;

namespace {

// What the progress display showed while a run went on.
struct DisplayLog {
    int MaxCurrent = 0;
    int MaxTotal = 0;
    QSet<QString> Statuses;
};

void Watch(TMainForm& form, DisplayLog& log) {
    QObject::connect(Control<QProgressBar>(form, "ConvertProgress"), &QProgressBar::valueChanged,
                     &form, [&form, &log](int v) {
                         log.MaxCurrent = std::max(log.MaxCurrent, v);
                         log.Statuses.insert(Control<QLabel>(form, "lbStatus")->text());
                     });
    QObject::connect(Control<QProgressBar>(form, "TotalProgress"), &QProgressBar::valueChanged,
                     &form, [&log](int v) { log.MaxTotal = std::max(log.MaxTotal, v); });
}

bool ShowsIdleDisplay(const TMainForm& form) {
    return Control<QPushButton>(form, "btnStartStop")->text() == QStringLiteral("&Start") &&
           Control<QLabel>(form, "lbStatus")->text().isEmpty() &&
           Control<QLabel>(form, "lbElapsedTime")->text() == FormatTimeOfDay(0) &&
           Control<QLabel>(form, "lbTimeLeft")->text() == FormatTimeOfDay(0);
}

bool IsBusy(const TMainForm& form) {
    return Control<QPushButton>(form, "btnStartStop")->text() == QStringLiteral("St&op") &&
           !Control<QAction>(form, "OpenClipStep")->isEnabled() &&
           !Control<QAction>(form, "SelPhoneModelStep")->isEnabled() &&
           !Control<QAction>(form, "ConvertStep")->isEnabled() &&
           !Control<QAction>(form, "FileOpenClip")->isEnabled() &&
           !Control<QPushButton>(form, "btnBack")->isEnabled() &&
           !Control<QLineEdit>(form, "ebOutFolder")->isEnabled() &&
           !Control<QPushButton>(form, "btnBrowseOutput")->isEnabled() &&
           Control<QPushButton>(form, "btnAddSource")->isEnabled() == false;
}

bool OffersEverything(const TMainForm& form) {
    return Control<QAction>(form, "OpenClipStep")->isEnabled() &&
           Control<QAction>(form, "SelPhoneModelStep")->isEnabled() &&
           Control<QAction>(form, "ConvertStep")->isEnabled() &&
           Control<QAction>(form, "FileOpenClip")->isEnabled() &&
           Control<QLineEdit>(form, "ebOutFolder")->isEnabled() &&
           Control<QPushButton>(form, "btnBrowseOutput")->isEnabled();
}

}  // namespace

class ConvertRunTest : public QObject {
    Q_OBJECT

    QTemporaryDir media;
    QString shortA, shortB, longA, longB, junk;

private slots:
    void initTestCase() {
        QVERIFY(media.isValid());
        shortA = MakeClip(media.filePath("first clip.avi"), 2);
        shortB = MakeClip(media.filePath("second.avi"), 2);
        longA = MakeClip(media.filePath("long one.avi"), 20, 320, 240);
        longB = MakeClip(media.filePath("long two.avi"), 20, 320, 240);
        junk = MakeJunkFile(media.filePath("broken.avi"));
        for (const QString& path : {shortA, shortB, longA, longB, junk}) QVERIFY(!path.isEmpty());
    }

    void aRunToTheEndAndTheSameListAgain() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        auto form = NewMainForm();
        DisplayLog log;
        Watch(*form, log);
        form->OpenClipPage()->FileOpenClipAccept(shortA);
        form->OpenClipPage()->FileOpenClipAccept(shortB);
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(out.path());
        // The message boxes are followed by a refresh of the skin, which
        // leaves every control in its font.
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QList<QPair<QWidget*, QFont>> fonts;
        for (QWidget* control : form->findChildren<QWidget*>())
            fonts.append({control, control->font()});
        bool detachedAtMessage = false;
        person.OnMessage = [&](const QString&) {
            detachedAtMessage = form->ConvertPage()->CurrentWorker() == nullptr;
        };

        for (int round = 0; round < 2; ++round) {
            person.Messages.clear();
            Control<QPushButton>(form, "btnStartStop")->click();
            QVERIFY(form->ConvertPage()->CurrentWorker() != nullptr);
            QVERIFY(IsBusy(*form));
            QTRY_VERIFY_WITH_TIMEOUT(form->ConvertPage()->RunWorker() == nullptr, 60000);

            QCOMPARE(person.Messages, QStringList{"All tasks has been completed!"});
            QVERIFY(detachedAtMessage);
            QVERIFY(ShowsIdleDisplay(*form));
            QCOMPARE(Control<QProgressBar>(form, "ConvertProgress")->value(), 0);
            QCOMPARE(Control<QProgressBar>(form, "TotalProgress")->value(), 0);
            QVERIFY(OffersEverything(*form));
            QVERIFY(Control<QPushButton>(form, "btnStartStop")->isEnabled());
            QCOMPARE(form->CurrentStep(), 3);
            // The list stays for another run.
            QCOMPARE(form->OpenClipPage()->Clips().size(), std::size_t{2});
        }
        for (const auto& [control, font] : fonts)
            QVERIFY2(control->font() == font,
                     qPrintable(control->objectName() + ": " + control->font().toString() +
                                " instead of " + font.toString()));
        QVERIFY(log.MaxCurrent >= 99);
        QVERIFY(log.MaxTotal >= 50);
        QVERIFY(log.Statuses.contains("Converting - first clip.avi"));
        QVERIFY(log.Statuses.contains("Converting - second.avi"));

        for (const QString& name :
             {QStringLiteral("first clip.3gp"), QStringLiteral("second.3gp")}) {
            const QString output = QDir(out.path()).filePath(name);
            QString complaint;
            QVERIFY2(DecodesCleanly(output, &complaint), qPrintable(name + ": " + complaint));
            // Nokia N93 at Medium: MPEG-4 pictures and AMR narrow-band sound.
            QCOMPARE(CodecsOf(output), (QStringList{"mpeg4", "amr_nb"}));
            const double seconds = DurationOf(output);
            QVERIFY2(seconds > 1.5 && seconds < 2.5, qPrintable(QString::number(seconds)));
        }
    }

    void stopDuringARun() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        auto form = NewMainForm();
        form->OpenClipPage()->FileOpenClipAccept(longA);
        form->OpenClipPage()->FileOpenClipAccept(longB);
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(out.path());

        Control<QPushButton>(form, "btnStartStop")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Control<QProgressBar>(form, "ConvertProgress")->value() > 0,
                                 60000);
        QPointer<TCompressThread> stopped = form->ConvertPage()->CurrentWorker();
        QVERIFY(stopped);
        Control<QPushButton>(form, "btnStartStop")->click();

        // Idle at once, without waiting for the worker.
        QVERIFY(form->ConvertPage()->CurrentWorker() == nullptr);
        QVERIFY(ShowsIdleDisplay(*form));
        QVERIFY(OffersEverything(*form));
        QVERIFY(person.Messages.isEmpty());
        // The stopped worker is still ending its file (its last reports need
        // this thread): Start is greyed and refused meanwhile, however asked.
        QVERIFY(stopped);
        QCOMPARE(form->ConvertPage()->RunWorker(), stopped.data());
        QVERIFY(!Control<QPushButton>(form, "btnStartStop")->isEnabled());
        QVERIFY(!Control<QPushButton>(form, "btnStartStop")->toolTip().isEmpty());
        Control<QPushButton>(form, "btnStartStop")->click();
        Control<QAction>(form, "StartConvert")->trigger();
        form->ConvertPage()->StartConvertExecute();
        QVERIFY(form->ConvertPage()->CurrentWorker() == nullptr);
        QCOMPARE(form->ConvertPage()->RunWorker(), stopped.data());

        // The list may change now: the stopped worker reads its own copy.
        Control<QAction>(form, "OpenClipStep")->trigger();
        Control<TSourceClipsGrid>(form, "SourceClipsGrid")->SelectRow(2);
        Control<QAction>(form, "FileDeleteClip")->trigger();
        QCOMPARE(form->OpenClipPage()->Clips().size(), std::size_t{1});

        QTRY_VERIFY_WITH_TIMEOUT(stopped.isNull(), 60000);
        QCOMPARE(person.Messages, QStringList{"Process stopped."});
        QVERIFY(form->ConvertPage()->RunWorker() == nullptr);
        QVERIFY(ShowsIdleDisplay(*form));
        QCOMPARE(Control<QProgressBar>(form, "ConvertProgress")->value(), 0);
        QCOMPARE(Control<QProgressBar>(form, "TotalProgress")->value(), 0);
        QVERIFY(Control<QPushButton>(form, "btnStartStop")->isEnabled());
        QVERIFY(Control<QAction>(form, "StartConvert")->isEnabled());
        // The stopped worker's end found the window on step 1.
        QCOMPARE(form->CurrentStep(), 1);
        QVERIFY(!Control<QPushButton>(form, "btnBack")->isEnabled());

        // The stopped file is complete and shorter; the next clip's output
        // was never created.
        const QString first = QDir(out.path()).filePath("long one.3gp");
        QString complaint;
        QVERIFY2(DecodesCleanly(first, &complaint), qPrintable(complaint));
        const double seconds = DurationOf(first);
        QVERIFY2(seconds > 0 && seconds < 15, qPrintable(QString::number(seconds)));
        QVERIFY(!QFileInfo::exists(QDir(out.path()).filePath("long two.3gp")));
    }

    void aFailingClipEndsTheRunWithItsMessage() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        auto form = NewMainForm();
        // A clip that read well when it was listed and was replaced by
        // junk since: only the run finds out.
        const QString changed = media.filePath("changed.avi");
        QFile::remove(changed);
        QVERIFY(QFile::copy(shortB, changed));
        form->OpenClipPage()->FileOpenClipAccept(shortA);
        form->OpenClipPage()->FileOpenClipAccept(changed);
        form->OpenClipPage()->FileOpenClipAccept(shortB);
        QVERIFY(QFile::remove(changed));
        QVERIFY(QFile::copy(junk, changed));
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(out.path());

        Control<QPushButton>(form, "btnStartStop")->click();
        QVERIFY(IsBusy(*form));
        QTRY_VERIFY_WITH_TIMEOUT(form->ConvertPage()->RunWorker() == nullptr, 60000);

        // Only the failure's message: no completion message after it.
        QCOMPARE(person.Messages.size(), 1);
        // The first line as the windows word it, then the reason and the file.
        QCOMPARE(person.Messages[0].section(u'\n', 0, 0),
                 QStringLiteral("Could not open source file"));
        QCOMPARE(person.Messages[0].section(u'\n', 1, 1),
                 QStringLiteral("Invalid data found when processing input: ") + changed);
        QVERIFY(ShowsIdleDisplay(*form));
        QVERIFY(OffersEverything(*form));
        QVERIFY(Control<QPushButton>(form, "btnStartStop")->isEnabled());
        QCOMPARE(Control<QProgressBar>(form, "ConvertProgress")->value(), 0);
        QCOMPARE(Control<QProgressBar>(form, "TotalProgress")->value(), 0);
        QCOMPARE(form->OpenClipPage()->Clips().size(), std::size_t{3});
        // The clip before it converted, the one after it untouched.
        QVERIFY(DecodesCleanly(QDir(out.path()).filePath("first clip.3gp")));
        QVERIFY(!QFileInfo::exists(QDir(out.path()).filePath("changed.3gp")));
        QVERIFY(!QFileInfo::exists(QDir(out.path()).filePath("second.3gp")));
    }

    void theRunControllerNeedsNoWindow() {
        // The controller alone: a selection, a way to show messages, a clip
        // list. Its signals carry the run; its messages go to the function.
        ProfileSelection selection;
        SettleRestoredSelection(selection);
        QStringList messages;
        TRunController run(selection, [&messages](const QString& text) { messages << text; });
        run.SetPriority(QThread::NormalPriority);
        ClipList clips;
        clips.push_back(ProbeClip(shortA));
        QTemporaryDir out;
        int statuses = 0, detached = 0, idle = 0, ended = 0, maxCurrent = 0;
        connect(&run, &TRunController::StatusChanged, this, [&](const StatusReport&) {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            ++statuses;
        });
        connect(&run, &TRunController::ProgressChanged, this,
                [&](int32_t current, int32_t) { maxCurrent = std::max(maxCurrent, current); });
        connect(&run, &TRunController::WorkerDetached, this, [&] { ++detached; });
        connect(&run, &TRunController::IdleEntered, this, [&] { ++idle; });
        connect(&run, &TRunController::WorkerEnded, this, [&] { ++ended; });

        QVERIFY(run.Start(clips, out.path()));
        QVERIFY(run.CurrentWorker() != nullptr);
        // One run at a time.
        QVERIFY(!run.Start(clips, out.path()));
        QTRY_COMPARE_WITH_TIMEOUT(ended, 1, 60000);
        QCOMPARE(messages, QStringList{"All tasks has been completed!"});
        QVERIFY(statuses >= 3);
        QCOMPARE(maxCurrent >= 100, true);
        QCOMPARE(detached, 1);
        QCOMPARE(idle, 1);
        QVERIFY(run.CurrentWorker() == nullptr && run.RunWorker() == nullptr);
        QVERIFY(DecodesCleanly(QDir(out.path()).filePath("first clip.3gp")));

        // A selection that cannot be used is told, and nothing starts.
        selection.FrameRate = 9;
        QVERIFY(!run.Start(clips, out.path()));
        QCOMPARE(messages.last(),
                 QStringLiteral("The selected phone and quality settings cannot be used."));
        QVERIFY(run.RunWorker() == nullptr);
    }

    void startRefusesAnUnreadableClip() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        auto form = NewMainForm();
        const QString otherJunk = media.filePath("notes.mp4");
        QFile::remove(otherJunk);
        QVERIFY(QFile::copy(junk, otherJunk));
        form->OpenClipPage()->FileOpenClipAccept(shortA);
        form->OpenClipPage()->FileOpenClipAccept(junk);
        form->OpenClipPage()->FileOpenClipAccept(otherJunk);
        // Listed, marked, with the reason in the duration's tooltip.
        auto* grid = Control<TSourceClipsGrid>(form, "SourceClipsGrid");
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("unreadable"));
        QCOMPARE(grid->item(1, 2)->toolTip(),
                 QStringLiteral("Invalid data found when processing input"));
        QCOMPARE(grid->item(0, 2)->toolTip(), QStringLiteral("No subtitles"));
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(out.path());

        // Start refuses, one clip per message, before anything is converted.
        Control<QPushButton>(form, "btnStartStop")->click();
        QCOMPARE(
            person.Messages,
            (QStringList{"broken.avi cannot be read:\nInvalid data found when processing input",
                         "notes.mp4 cannot be read:\nInvalid data found when processing input"}));
        QVERIFY(form->ConvertPage()->RunWorker() == nullptr);
        QVERIFY(ShowsIdleDisplay(*form));
        QVERIFY(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

        // Without them the run goes.
        person.Messages.clear();
        Control<QAction>(form, "OpenClipStep")->trigger();
        grid->SelectRow(3);
        Control<QAction>(form, "FileDeleteClip")->trigger();
        grid->SelectRow(2);
        Control<QAction>(form, "FileDeleteClip")->trigger();
        QCOMPARE(form->OpenClipPage()->Clips().size(), std::size_t{1});
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QPushButton>(form, "btnStartStop")->click();
        QVERIFY(IsBusy(*form));
        QTRY_VERIFY_WITH_TIMEOUT(form->ConvertPage()->RunWorker() == nullptr, 60000);
        QCOMPARE(person.Messages, QStringList{"All tasks has been completed!"});
        QVERIFY(DecodesCleanly(QDir(out.path()).filePath("first clip.3gp")));
    }
};

KESTOVAR_CONVERT_TEST_MAIN(ConvertRunTest)
#include "ConvertRunTest.moc"
