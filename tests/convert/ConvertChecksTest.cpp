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
#include "ConvertTestSupport.h"
#include "MainFrm.h"

using namespace convert_test;

namespace {

// The window idle and nothing running.
bool IsIdle(const TMainForm& form) {
    return form.ActiveWorker == nullptr && form.RunWorker() == nullptr &&
           form.btnStartStop->text() == QStringLiteral("Start") && form.btnStartStop->isEnabled() &&
           form.ebOutFolder->isEnabled() && form.btnBrowseOutput->isEnabled() &&
           form.FileOpenClip->isEnabled() && form.ConvertStep->isEnabled();
}

}  // namespace

class ConvertChecksTest : public QObject {
    Q_OBJECT

    QTemporaryDir media;
    QString clip;

    // A window with one clip, showing step 3 with the given folder text.
    std::unique_ptr<TMainForm> WindowWithClip(const QString& folderText) {
        auto form = NewMainForm();
        form->FileOpenClipAccept(clip);
        form->ConvertStep->trigger();
        form->ebOutFolder->setText(folderText);
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
        form->ConvertStep->trigger();
        int dialogs = 0;
        QString chosen;  // cancelled first
        form->ChooseClipFile = [&](QWidget*, const QString&, const QStringList&) {
            ++dialogs;
            return chosen;
        };

        form->btnStartStop->click();
        QCOMPARE(dialogs, 1);
        QVERIFY(form->ClipList.empty());
        QCOMPARE(form->CurrentStep(), 3);
        QVERIFY(IsIdle(*form));

        chosen = clip;
        form->btnStartStop->click();
        QCOMPARE(dialogs, 2);
        // The chosen clip is listed and step 1 shows it; no run has started.
        QCOMPARE(form->ClipList.size(), std::size_t{1});
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
        form->FileOpenClipAccept(fifo);
        form->FileOpenClipAccept(media.path());
        form->FileOpenClipAccept(clip);
        QCOMPARE(person.Messages.size(), 2);
        QCOMPARE(
            person.Messages[0].section(u'\n', 0, 1),
            QStringLiteral("Could not open source file\nNot a regular file (a pipe): ") + fifo);
        QCOMPARE(person.Messages[1].section(u'\n', 1, 1),
                 QStringLiteral("Not a regular file (a folder): ") + media.path());
        QCOMPARE(form->ClipList.size(), std::size_t{1});
        QCOMPARE(form->ClipList[0]->SourcePath, clip);
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
            form->btnStartStop->click();
            QCOMPARE(form->ebOutFolder->text(), c.Kept);
            // The folder was created and the run started.
            QVERIFY(QFileInfo(c.Kept).isDir());
            QVERIFY(form->ActiveWorker != nullptr);
            QCOMPARE(form->btnStartStop->text(), QStringLiteral("Stop"));
            QTRY_VERIFY_WITH_TIMEOUT(form->RunWorker() == nullptr, 60000);
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
            form->btnStartStop->click();
            QTRY_COMPARE(person.Messages.size(), 1);
            QCOMPARE(person.Messages[0], "Invalid name of output folder:\n" + text);
            QCOMPARE(form->ebOutFolder->text(), text);
            QVERIFY(QDir(out.path()).isEmpty());
            QVERIFY(IsIdle(*form));
        }
    }

    void aFolderWhoseParentIsMissingIsNotCreated() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        const QString text = out.filePath("missing/new");
        auto form = WindowWithClip(text);
        form->btnStartStop->click();
        QTRY_COMPARE(person.Messages.size(), 1);
        QCOMPARE(person.Messages[0], "Cannot create output folder:\n" + text);
        QVERIFY(QDir(out.path()).isEmpty());
        QVERIFY(IsIdle(*form));
    }

    void anEmptyFolderTextStartsNothing() {
        MessageBoxAnswerer person;
        auto form = WindowWithClip(QString());
        form->btnStartStop->click();
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
        form->btnStartStop->click();
        QVERIFY(form->ActiveWorker != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(form->RunWorker() == nullptr, 60000);
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
        form->ProfileSelection.FrameRate = 99;
        form->btnStartStop->click();
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
        form->ClipList.clear();
        form->FileOpenClipAccept(media.filePath(name));
        QString shown, tip;
        connect(form->ConvertProgress, &QProgressBar::valueChanged, this, [&](int value) {
            if (value <= 0 || !shown.isEmpty()) return;
            shown = form->lbStatus->text();
            tip = form->lbStatus->toolTip();
        });
        form->btnStartStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->RunWorker() == nullptr, 60000);
        QVERIFY(shown.startsWith("Converting - nnn"));
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QVERIFY(form->lbStatus->fontMetrics().horizontalAdvance(shown) <= form->lbStatus->width());
        QCOMPARE(tip, "Converting - " + name);
    }

    void browseReplacesTheTextOrLeavesItWhenCancelled() {
        auto form = WindowWithClip(QStringLiteral("/nowhere/start"));
        QString startSeen;
        QString answer = QDir::fromNativeSeparators(media.path());
        form->ChooseOutputFolder = [&](QWidget*, const QString& start) {
            startSeen = start;
            return answer;
        };
        form->btnBrowseOutput->click();
        QCOMPARE(startSeen, QStringLiteral("/nowhere/start"));
        QCOMPARE(form->ebOutFolder->text(), QDir::toNativeSeparators(media.path()));
        answer.clear();
        form->btnBrowseOutput->click();
        QCOMPARE(form->ebOutFolder->text(), QDir::toNativeSeparators(media.path()));
    }

    void theRunIsStartedAtIdlePriority() {
        MessageBoxAnswerer person;
        QTemporaryDir out;
        auto form = std::make_unique<TMainForm>();
        QCOMPARE(form->ConversionPriority, QThread::IdlePriority);
        form->FileOpenClipAccept(clip);
        form->ConvertStep->trigger();
        form->ebOutFolder->setText(out.path());
        form->btnStartStop->click();
        QVERIFY(form->ActiveWorker != nullptr);
        QCOMPARE(form->ActiveWorker->priority(), QThread::IdlePriority);
        QTRY_VERIFY_WITH_TIMEOUT(form->RunWorker() == nullptr, 120000);
        QCOMPARE(person.Messages, QStringList{"All tasks has been completed!"});
    }
};

KESTOVAR_CONVERT_TEST_MAIN(ConvertChecksTest)
#include "ConvertChecksTest.moc"
