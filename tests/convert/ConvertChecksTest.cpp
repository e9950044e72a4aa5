// "Start" before a run: the empty clip list, the checks of the output folder
// text, the folder browser and the worker's priority.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "CompressThread.h"
#include "ConvertPage.h"
#include "ConvertTestSupport.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"

using test_support::Control;

using namespace convert_test;

namespace {

// The window idle and nothing running.
bool IsIdle(const TMainForm& form) {
    return form.ConvertPage()->CurrentWorker() == nullptr &&
           form.ConvertPage()->RunWorker() == nullptr &&
           Control<QPushButton>(form, "btnStartStop")->text() == QStringLiteral("&Start") &&
           Control<QPushButton>(form, "btnStartStop")->isEnabled() &&
           Control<QLineEdit>(form, "ebOutFolder")->isEnabled() &&
           Control<QPushButton>(form, "btnBrowseOutput")->isEnabled() &&
           Control<QAction>(form, "FileOpenClip")->isEnabled() &&
           Control<QAction>(form, "ConvertStep")->isEnabled();
}

}  // namespace

class ConvertChecksTest : public QObject {
    Q_OBJECT

    QTemporaryDir media;
    QString clip;

    // A window with one clip, showing step 3 with the given folder text.
    std::unique_ptr<TMainForm> WindowWithClip(const QString& folderText) {
        auto form = NewMainForm();
        form->OpenClipPage()->FileOpenClipAccept(clip);
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(folderText);
        return form;
    }

private slots:
    void initTestCase() {
        QVERIFY(media.isValid());
        clip = MakeClip(media.filePath("clip.avi"), 1);
        QVERIFY(!clip.isEmpty());
    }

    void emptyListOpensTheOpenDialogAndStartsNothing() {
        MessageBoxAnswerer person;
        auto form = NewMainForm();
        Control<QAction>(form, "ConvertStep")->trigger();
        int dialogs = 0;
        QString chosen;  // cancelled first
        form->OpenClipPage()->SetClipFileChooser([&](QWidget*, const QString&, const QStringList&) {
            ++dialogs;
            return chosen.isEmpty() ? QStringList() : QStringList{chosen};
        });

        Control<QPushButton>(form, "btnStartStop")->click();
        QCOMPARE(dialogs, 1);
        QVERIFY(form->OpenClipPage()->Clips().empty());
        QCOMPARE(form->CurrentStep(), 3);
        QVERIFY(IsIdle(*form));

        chosen = clip;
        Control<QPushButton>(form, "btnStartStop")->click();
        QCOMPARE(dialogs, 2);
        // The chosen clip is listed and step 1 shows it; no run has started.
        QCOMPARE(form->OpenClipPage()->Clips().size(), std::size_t{1});
        QCOMPARE(form->CurrentStep(), 1);
        QVERIFY(IsIdle(*form));
        QCoreApplication::processEvents();
        QVERIFY(person.Messages.isEmpty());
    }

    // A pipe or a folder is refused at Add with a message naming it, and not
    // listed; a regular file still is.
    void aSourceThatIsNoFileIsRefusedAtAdd() {
        MessageBoxAnswerer person;
        auto form = NewMainForm();
        const QString fifo = media.filePath("pipe.avi");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        form->OpenClipPage()->FileOpenClipAccept(fifo);
        form->OpenClipPage()->FileOpenClipAccept(media.path());
        form->OpenClipPage()->FileOpenClipAccept(clip);
        QCOMPARE(person.Messages.size(), 2);
        QCOMPARE(
            person.Messages[0].section(u'\n', 0, 1),
            QStringLiteral("Could not open source file\nNot a regular file (a pipe): ") + fifo);
        QCOMPARE(person.Messages[1].section(u'\n', 1, 1),
                 QStringLiteral("Not a regular file (a folder): ") + media.path());
        QCOMPARE(form->OpenClipPage()->Clips().size(), std::size_t{1});
        QCOMPARE(form->OpenClipPage()->Clips()[0]->SourcePath, clip);
        QFile::remove(fifo);
    }

    void oneTrailingSeparatorIsRemoved() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        const QString sep = QDir::separator();
        struct Case {
            QString Typed, Kept;
        };
        const Case cases[] = {
            {out.filePath("one") + sep, out.filePath("one")},
            {out.filePath("two") + sep + sep, out.filePath("two") + sep},
        };
        for (const Case& c : cases) {
            person.Messages.clear();
            auto form = WindowWithClip(c.Typed);
            Control<QPushButton>(form, "btnStartStop")->click();
            QCOMPARE(Control<QLineEdit>(form, "ebOutFolder")->text(), c.Kept);
            // The folder was created and the run started.
            QVERIFY(QFileInfo(c.Kept).isDir());
            QVERIFY(form->ConvertPage()->CurrentWorker() != nullptr);
            QCOMPARE(Control<QPushButton>(form, "btnStartStop")->text(), QStringLiteral("St&op"));
            QTRY_VERIFY_WITH_TIMEOUT(form->ConvertPage()->RunWorker() == nullptr, 60000);
            QCOMPARE(person.Messages, QStringList{"All tasks has been completed!"});
            QVERIFY(QFileInfo::exists(QDir(c.Kept).filePath("clip.3gp")));
            QVERIFY(IsIdle(*form));
        }
    }

    void wildcardsAreRefused() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        for (const QString& name : {QStringLiteral("out*x"), QStringLiteral("what?")}) {
            person.Messages.clear();
            const QString text = out.filePath(name);
            auto form = WindowWithClip(text);
            Control<QPushButton>(form, "btnStartStop")->click();
            QTRY_COMPARE(person.Messages.size(), 1);
            QCOMPARE(person.Messages[0],
                     "Invalid name of output folder:\n" + text + "\nInvalid argument");
            QCOMPARE(Control<QLineEdit>(form, "ebOutFolder")->text(), text);
            QVERIFY(QDir(out.path()).isEmpty());
            QVERIFY(IsIdle(*form));
        }
    }

    void aLoneSeparatorIsRefusedAsTheCommandLineRefusesIt() {
        MessageBoxAnswerer person;
        const QString root = QDir::toNativeSeparators(QStringLiteral("/"));
        auto form = WindowWithClip(root);
        Control<QPushButton>(form, "btnStartStop")->click();
        QTRY_COMPARE(person.Messages.size(), 1);
        QCOMPARE(person.Messages[0],
                 "Invalid name of output folder:\n" + root + "\nInvalid argument");
        QCOMPARE(Control<QLineEdit>(form, "ebOutFolder")->text(), root);
        QVERIFY(IsIdle(*form));
    }

    void aFolderWhoseParentIsMissingIsNotCreated() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        const QString text = out.filePath("missing/new");
        auto form = WindowWithClip(text);
        Control<QPushButton>(form, "btnStartStop")->click();
        QTRY_COMPARE(person.Messages.size(), 1);
        QCOMPARE(person.Messages[0],
                 "Cannot create output folder:\n" + text + "\nNo such file or directory");
        QVERIFY(QDir(out.path()).isEmpty());
        QVERIFY(IsIdle(*form));
    }

    void anEmptyFolderTextStartsNothing() {
        MessageBoxAnswerer person;
        auto form = WindowWithClip(QString());
        Control<QPushButton>(form, "btnStartStop")->click();
        QTRY_COMPARE(person.Messages.size(), 1);
        QCOMPARE(person.Messages[0], QStringLiteral("Please enter an output folder."));
        QVERIFY(IsIdle(*form));
    }

    void aFileInPlaceOfTheFolderEndsTheRunWithItsMessage() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        const QString text = out.filePath("plainfile");
        {
            QFile file(text);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a folder");
        }
        auto form = WindowWithClip(text);
        Control<QPushButton>(form, "btnStartStop")->click();
        QVERIFY(form->ConvertPage()->CurrentWorker() != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(form->ConvertPage()->RunWorker() == nullptr, 60000);
        // The worker's own failure message, and no completion message.
        QCOMPARE(person.Messages.size(), 1);
        QVERIFY(!person.Messages[0].isEmpty());
        QVERIFY(!person.Messages[0].contains("completed"));
        QVERIFY(IsIdle(*form));
    }

    void aSelectionOutsideTheTablesStartsNothing() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        auto form = WindowWithClip(out.path());
        form->Selection().FrameRate = 99;
        Control<QPushButton>(form, "btnStartStop")->click();
        QTRY_COMPARE(person.Messages.size(), 1);
        QVERIFY(IsIdle(*form));
        QVERIFY(QDir(out.path()).isEmpty());
    }

    void aLongStatusLineIsCutWithTheWholeLineInItsTooltip() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        const QString name = QString(60, u'n') + QStringLiteral(".avi");
        QVERIFY(QFile::copy(clip, media.filePath(name)));
        auto form = WindowWithClip(out.path());
        form->OpenClipPage()->ClearClipList();
        form->OpenClipPage()->FileOpenClipAccept(media.filePath(name));
        QString shown, tip;
        connect(Control<QProgressBar>(form, "ConvertProgress"), &QProgressBar::valueChanged, this,
                [&](int value) {
                    if (value <= 0 || !shown.isEmpty()) return;
                    shown = Control<QLabel>(form, "lbStatus")->text();
                    tip = Control<QLabel>(form, "lbStatus")->toolTip();
                });
        Control<QPushButton>(form, "btnStartStop")->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->ConvertPage()->RunWorker() == nullptr, 60000);
        QVERIFY(shown.startsWith("Converting - nnn"));
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QVERIFY(Control<QLabel>(form, "lbStatus")->fontMetrics().horizontalAdvance(shown) <=
                Control<QLabel>(form, "lbStatus")->width());
        QCOMPARE(tip, "Converting - " + name);
    }

    void browseReplacesTheTextOrLeavesItWhenCancelled() {
        auto form = WindowWithClip(QStringLiteral("/nowhere/start"));
        QString startSeen;
        QString answer = QDir::fromNativeSeparators(media.path());
        form->ConvertPage()->SetOutputFolderChooser([&](QWidget*, const QString& start) {
            startSeen = start;
            return answer;
        });
        Control<QPushButton>(form, "btnBrowseOutput")->click();
        QCOMPARE(startSeen, QStringLiteral("/nowhere/start"));
        QCOMPARE(Control<QLineEdit>(form, "ebOutFolder")->text(),
                 QDir::toNativeSeparators(media.path()));
        answer.clear();
        Control<QPushButton>(form, "btnBrowseOutput")->click();
        QCOMPARE(Control<QLineEdit>(form, "ebOutFolder")->text(),
                 QDir::toNativeSeparators(media.path()));
    }

    void theRunIsStartedAtIdlePriority() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        auto form = std::make_unique<TMainForm>();
        QCOMPARE(form->ConvertPage()->RunPriority(), QThread::IdlePriority);
        form->OpenClipPage()->FileOpenClipAccept(clip);
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(out.path());
        Control<QPushButton>(form, "btnStartStop")->click();
        QVERIFY(form->ConvertPage()->CurrentWorker() != nullptr);
        QCOMPARE(form->ConvertPage()->CurrentWorker()->priority(), QThread::IdlePriority);
        QTRY_VERIFY_WITH_TIMEOUT(form->ConvertPage()->RunWorker() == nullptr, 120000);
        QCOMPARE(person.Messages, QStringList{"All tasks has been completed!"});
    }
};

KESTOVAR_CONVERT_TEST_MAIN(ConvertChecksTest)
#include "ConvertChecksTest.moc"
