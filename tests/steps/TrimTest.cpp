// The clip page's "Trim" button and its dialog: the times it refuses, and a
// trimmed clip's row showing the part's length.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "SourceClipsGrid.h"
#include "StepsTestSupport.h"
#include "TimeFormat.h"
#include "TrimClipFrm.h"

using test_support::Control;

namespace {

// Presses OK in the dialog; a refusal's message box is closed once it shows,
// and its text kept.
QString PressOk(TTrimClipForm& dialog) {
    QString shown;
    QTimer::singleShot(0, [&shown] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return;
        for (const QTextEdit* text : box->findChildren<QTextEdit*>()) shown += text->toPlainText();
        box->close();
    });
    dialog.btnOK->click();
    return shown;
}

}  // namespace

class TrimTest : public QObject {
    Q_OBJECT

private slots:
    void refusesAStartAtOrPastTheEnd() {
        SourceClipItem clip;
        clip.LengthSeconds = 40.0;
        clip.SourceDuration = std::chrono::seconds(40);
        TTrimClipForm dialog(clip, nullptr);
        QCOMPARE(dialog.ebStart->text(), QStringLiteral("00:00:00.0"));
        QCOMPARE(dialog.ebEnd->text(), QStringLiteral("00:00:40.0"));
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:40.0"));
        dialog.show();

        for (const auto& [start, end] : {std::pair{"00:00:30", "00:00:20"}, std::pair{"25", "25"},
                                         std::pair{"50", ""}, std::pair{"abc", "20"}}) {
            dialog.ebStart->setText(start);
            dialog.ebEnd->setText(end);
            const QString refusal = PressOk(dialog);
            QVERIFY2(!refusal.isEmpty(), start);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), 0);
            QCOMPARE(clip.TrimStart, 0.0);
            QCOMPARE(clip.TrimEnd, 0.0);
        }

        dialog.ebStart->setText("00:00:10.0");
        dialog.ebEnd->setText("25.5");
        QVERIFY(PressOk(dialog).isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(clip.TrimStart, 10.0);
        QCOMPARE(clip.TrimEnd, 25.5);
        QCOMPARE(clip.ConvertedDuration().count(), 15);
    }

    void theLengthFollowsStartAndEndAsTyped() {
        SourceClipItem clip;
        clip.LengthSeconds = 40.0;
        clip.SourceDuration = std::chrono::seconds(40);
        TTrimClipForm dialog(clip, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:40.0"));
        QVERIFY(!dialog.lbEndNote->isVisible());

        // Typed key by key, as a person does.
        dialog.ebStart->selectAll();
        QTest::keyClicks(dialog.ebStart, "10");
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:30.0"));
        dialog.ebEnd->selectAll();
        QTest::keyClicks(dialog.ebEnd, "25.5");
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:15.5"));
        QTest::keyClick(dialog.ebEnd, Qt::Key_Backspace);
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:15.0"));  // "25."
        // An end before the start, or no time at all, gives no length.
        dialog.ebEnd->setText("5");
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("-"));
        dialog.ebStart->setText("abc");
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("-"));
        dialog.ebStart->setText("00:00:02.5");
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:02.5"));
        QVERIFY(!dialog.lbEndNote->isVisible());

        // An end past the clip's known end counts as the end, and says so;
        // OK then converts to the end.
        dialog.ebEnd->setText("1:00");
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:37.5"));
        QVERIFY(dialog.lbEndNote->isVisible());
        QCOMPARE(dialog.lbEndNote->text(), QStringLiteral("The clip ends at 00:00:40.0."));
        QVERIFY(dialog.lbEndNote->geometry().right() < dialog.width());
        dialog.ebEnd->clear();
        QCOMPARE(dialog.lbLength->text(), QStringLiteral("00:00:37.5"));
        QVERIFY(!dialog.lbEndNote->isVisible());
        dialog.ebEnd->setText("1:00");
        QVERIFY(PressOk(dialog).isEmpty());
        QCOMPARE(clip.TrimStart, 2.5);
        QCOMPARE(clip.TrimEnd, 0.0);
    }

    void theListShowsATrimmedLengthToATenth() {
        // PressOk's watcher of the test before has nothing to close any more.
        QTest::qWait(50);
        TMainForm window;
        const QString clipPath = steps_test::MakeSmallVideo(
            QDir(QDir::tempPath()).filePath(QStringLiteral("kestovar-trim-row.avi")));
        QVERIFY(!clipPath.isEmpty());
        window.OpenClipPage()->FileOpenClipAccept(clipPath);
        auto* grid = Control<TSourceClipsGrid>(window, "SourceClipsGrid");
        QVERIFY(!grid->RowTexts(1).at(2).contains(QStringLiteral("trimmed")));
        SourceClipItem trimmed = *window.OpenClipPage()->Clips().front();
        trimmed.LengthSeconds = 5.0;
        trimmed.TrimStart = 1.5;
        QCOMPARE(TSourceClipsGrid::ClipRowTexts(trimmed).at(2),
                 QStringLiteral("00:00:03.5 (trimmed)"));
        trimmed.TrimEnd = 2.0;
        QCOMPARE(TSourceClipsGrid::ClipRowTexts(trimmed).at(2),
                 QStringLiteral("00:00:00.5 (trimmed)"));

        // Through the dialog: the row takes the trimmed length.
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&poll] {
            auto* dialog = qobject_cast<TTrimClipForm*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            poll.stop();
            dialog->ebStart->setText("0.3");
            dialog->btnOK->click();
        });
        poll.start();
        Control<QAction>(window, "FileTrimClip")->trigger();
        const double length = window.OpenClipPage()->Clips().front()->LengthSeconds;
        QCOMPARE(grid->RowTexts(1).at(2), FormatClipTime(length - 0.3) + " (trimmed)");
        QFile::remove(clipPath);
    }

    void unknownLengthRefusesOnlyAStartPastTheEnd() {
        double start = -1;
        double end = -1;
        QVERIFY(TTrimClipForm::CheckTimes("100", "", 0, start, end).isEmpty());
        QCOMPARE(start, 100.0);
        QCOMPARE(end, 0.0);
        QVERIFY(!TTrimClipForm::CheckTimes("30", "20", 0, start, end).isEmpty());
        // An end past a known length is the clip's end.
        QVERIFY(TTrimClipForm::CheckTimes("5", "1:00:00", 40, start, end).isEmpty());
        QCOMPARE(end, 0.0);
    }

    // Times beyond 100 hours are refused as the command line refuses them,
    // whatever the clip's length: no such time is read as a number at all.
    void timesPastAHundredHoursAreRefused() {
        double start = -1;
        double end = -1;
        QCOMPARE(TTrimClipForm::CheckTimes("99999999999999999999", "", 0, start, end),
                 QStringLiteral("The start time lies past 100 hours."));
        QCOMPARE(TTrimClipForm::CheckTimes("1", "100:00:01", 0, start, end),
                 QStringLiteral("The end time lies past 100 hours."));
        QVERIFY(TTrimClipForm::CheckTimes("99:59:59", "100:00:00", 0, start, end).isEmpty());
    }

    void theButtonSitsBetweenDeleteAndPreview() {
        TMainForm window;
        auto* trim = Control<QPushButton>(window, "btnTrim");
        auto* remove = Control<QPushButton>(window, "btnDelete");
        auto* preview = Control<QPushButton>(window, "btnPreview");
        QCOMPARE(trim->text(), QStringLiteral("&Trim"));
        QVERIFY(trim->geometry().left() > remove->geometry().right());
        QVERIFY(trim->geometry().right() < preview->geometry().left());
        QCOMPARE(trim->size(), remove->size());
        QVERIFY(!trim->isEnabled());  // nothing to trim yet
    }
};

KESTOVAR_STEPS_TEST_MAIN(TrimTest)
#include "TrimTest.moc"
