// The message box and the About box.
#include <QClipboard>
#include <QDesktopServices>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

#include "AboutFrm.h"
#include "AppTitle.h"
#include "ErrorDisplay.h"
#include "MessageBoxFrm.h"
#include "ShellTestSupport.h"

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void open(const QUrl& url) { Urls.append(url); }
};

class DialogsTest : public QObject {
    Q_OBJECT

    // Shows a message box and presses the named button (or the close box
    // when the name is empty); returns the box's result.
    int RunMessageBox(int kind, const QString& message, const char* button,
                      QStringList* visibleButtons = nullptr) {
        QWidget owner;
        owner.setWindowTitle("Some other window");
        owner.show();
        OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<TMessageBoxForm*>(modal);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QString(ApplicationTitle));
            QCOMPARE(box->size(), QSize(248, 131));
            QCOMPARE(box->parentWidget(), &owner);
            if (visibleButtons)
                for (QPushButton* b : box->findChildren<QPushButton*>())
                    if (b->isVisible()) *visibleButtons << b->text();
            if (button) {
                auto* target = box->findChild<QPushButton*>(button);
                QVERIFY(target && target->isVisible());
                QTest::mouseClick(target, Qt::LeftButton);
            }
        });
        return ShowMessageBox(kind, message, &owner);
    }

private slots:
    void kindsAndTheirButtons() {
        QStringList buttons;
        QCOMPARE(RunMessageBox(1, "Process stopped.", "btnOK", &buttons), 1);
        QCOMPARE(buttons, QStringList({"OK"}));
        buttons.clear();
        QCOMPARE(RunMessageBox(5, "Process stopped.", "btnOK", &buttons), 1);
        QCOMPARE(buttons, QStringList({"OK"}));
        buttons.clear();
        QCOMPARE(RunMessageBox(0, "Overwrite?", "btnYes", &buttons), 6);
        buttons.sort();
        QCOMPARE(buttons, QStringList({"No", "Yes"}));
        QCOMPARE(RunMessageBox(0, "Overwrite?", "btnNo"), 7);
        // The close box ends the box with 2.
        QCOMPARE(RunMessageBox(1, "All tasks has been completed!", nullptr), 2);
    }

    void buttonsShareOneRow() {
        TMessageBoxForm box(nullptr);
        QCOMPARE(box.btnOK->geometry(), QRect(80, 63, 81, 25));
        QCOMPARE(box.btnYes->geometry(), QRect(32, 63, 81, 25));
        QCOMPARE(box.btnNo->geometry(), QRect(136, 63, 81, 25));
    }

    void twoLineMessageShowsCentredLines() {
        TMessageBoxForm box(nullptr);
        const QString message = "Cannot create output folder:\n/tmp/none/deeper";
        box.SetMessage(message);
        box.show();
        QCOMPARE(box.lbMessage->toPlainText(), message);
        QTextDocument* document = box.lbMessage->document();
        QCOMPARE(document->blockCount(), 2);
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            QCOMPARE(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        // Both lines fit in the message area, centred vertically in it.
        const QRect area = box.lbMessage->geometry();
        QVERIFY(area.top() >= 16 && area.bottom() <= 16 + 33);
        QVERIFY(qAbs((area.top() - 16) - (16 + 33 - 1 - area.bottom())) <= 1);
    }

    void longPathStaysWhole() {
        // A long path without blanks makes the box wider and wraps after
        // its separators; every line shows whole and the text is as given.
        TMessageBoxForm box(nullptr);
        const QString message =
            "Cannot create output folder:\n/home/someone/Videos/for-the-phone/holidays-2008/"
            "summer-at-the-lake/converted";
        box.SetMessage(message);
        box.show();
        QCOMPARE(box.lbMessage->toPlainText(), message);
        QVERIFY(box.width() > 248 && box.width() <= 600);
        QVERIFY(box.lbMessage->document()->size().width() <= box.lbMessage->viewport()->width());
        QVERIFY(box.lbMessage->document()->size().height() <= box.lbMessage->viewport()->height());
    }

    void longFailureShowsWhole() {
        // A failure as the engine words it: first line, reason and a path
        // longer than the widest box.
        const QString path =
            "/home/someone/Videos/for_the_phone/holidays_2008/summer_at_the_lake/day_two/"
            "evening/the_long_walk_back_to_the_car_park/untitled_clip_3.mp4";
        const QString message =
            "Could not open source file\nInvalid data found when processing "
            "input: " +
            path + "\n";
        TMessageBoxForm box(nullptr);
        box.SetMessage(message);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // Across to at most 600, then down: the label's text fits its
        // rectangle, nothing scrolls, and the OK button sits below the text,
        // inside the box.
        QCOMPARE(box.width(), 600);
        QVERIFY(box.height() > 131);
        QTextEdit* text = box.lbMessage;
        QVERIFY(text->document()->size().width() <= text->viewport()->width());
        QVERIFY(text->document()->size().height() <= text->viewport()->height());
        QVERIFY(!text->verticalScrollBar()->isVisible());
        QVERIFY(text->geometry().right() < box.width());
        QVERIFY(box.btnOK->geometry().top() > text->geometry().bottom());
        QVERIFY(box.btnOK->geometry().bottom() < box.height());
        QVERIFY(qAbs(box.btnOK->geometry().center().x() - box.width() / 2) <= 4);
        // The path wraps after a separator: each line of the path but the
        // last ends in "/", and no line of it is cut in the middle of a name.
        QStringList lines;
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
            QTextLayout* layout = block.layout();
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                lines << block.text().mid(line.textStart(), line.textLength());
            }
        }
        while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        QVERIFY2(lines.size() >= 3, qPrintable(lines.join('|')));
        const QString reasonLines = lines.mid(1).join(QString());
        QCOMPARE(reasonLines, message.section('\n', 1, 1));
        for (int i = 2; i + 1 < lines.size(); ++i)
            QVERIFY2(lines[i].endsWith('/'), qPrintable(lines.join('|')));
        // Selectable and copyable.
        QVERIFY(text->textInteractionFlags() & Qt::TextSelectableByMouse);
        text->selectAll();
        text->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), message);
        // A short message keeps the box as it is.
        TMessageBoxForm shortBox(nullptr);
        shortBox.SetMessage("Process stopped.");
        shortBox.show();
        QCOMPARE(shortBox.size(), QSize(248, 131));
        QCOMPARE(shortBox.btnOK->geometry(), QRect(80, 63, 81, 25));
    }

    void errorDisplayEndsMessagesWithAStop() {
        QCOMPARE(ErrorDisplayText("Invalid data type for 'Quality'"),
                 QString("Invalid data type for 'Quality'"));
        QCOMPARE(ErrorDisplayText("Could not open destination file"),
                 QString("Could not open destination file."));
        QCOMPARE(ErrorDisplayText("Done."), QString("Done."));
        QCOMPARE(ErrorDisplayText("Stop!"), QString("Stop!"));
        QCOMPARE(ErrorDisplayText("Bad input\n"), QString("Bad input\n"));
        QCOMPARE(ErrorDisplayText(""), QString(""));
    }

    void aboutBoxLayout() {
        TAboutForm about(nullptr);
        QCOMPARE(about.size(), QSize(296, 249));
        QCOMPARE(about.windowTitle(), QString("About"));
        QCOMPARE(about.gbGroupBox->title(), QString(ApplicationTitle));
        QCOMPARE(about.gbGroupBox->geometry(), QRect(9, 3, 273, 174));
        QCOMPARE(about.lbTitle->text(), QString("Kestovar 3GP Video Converter v 1.1"));
        QVERIFY(about.lbTitle->font().bold() && about.lbTitle->font().underline());
        QVERIFY(about.lbMakerLine2->font().bold());
        QCOMPARE(about.btnOK->geometry(), QRect(222, 183, 60, 23));
        QCOMPARE(about.hrefMail->pos(), QPoint(56, 98));
        QCOMPARE(about.hrefWWW->pos(), QPoint(56, 122));
        QCOMPARE(about.hrefMail->cursor().shape(), Qt::PointingHandCursor);
        // Every text fits inside the group box.
        for (QLabel* label : about.gbGroupBox->findChildren<QLabel*>()) {
            QVERIFY2(label->geometry().right() < about.gbGroupBox->width() - 2,
                     qPrintable(label->text()));
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        }
    }

    void aboutLinksOpenMailAndWeb() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("mailto", &catcher, "open");
        QDesktopServices::setUrlHandler("http", &catcher, "open");
        TAboutForm about(nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(about.hrefMail, Qt::LeftButton);
        QTest::mouseClick(about.hrefWWW, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("mailto");
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(catcher.Urls.size(), 2);
        QCOMPARE(catcher.Urls.at(0).toString(), "mailto:" + about.hrefMail->text());
        QCOMPARE(catcher.Urls.at(1).toString(), about.hrefWWW->text());
    }

    void aboutClosesByOkAndByCloseBox() {
        for (bool byOk : {true, false}) {
            TAboutForm about(nullptr);
            QTimer::singleShot(50, &about, [&] {
                if (byOk)
                    QTest::mouseClick(about.btnOK, Qt::LeftButton);
                else
                    about.close();
            });
            about.exec();
            QVERIFY(!about.isVisible());
        }
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
