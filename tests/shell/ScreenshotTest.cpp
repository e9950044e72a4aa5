// Renders every window and page to PNG files under build/screenshots for
// review, and checks that no text of theirs is cut off.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "AboutFrm.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "MessageBoxFrm.h"
#include "ShellTestSupport.h"

using test_support::Control;

class ScreenshotTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporarySettings> settings;

    static void Save(QWidget* widget, const QString& name) {
        const QString path = ScreenshotFolder() + "/" + name + ".png";
        QVERIFY2(widget->grab().save(path), qPrintable(path));
    }

    // Every label, button and group box title of the window is as wide as its
    // text needs, and lies inside its parent.
    static void CheckNothingClipped(QWidget* window) {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(window) || label->text().isEmpty()) continue;
            QVERIFY2(label->sizeHint().width() <= label->width() + 1, qPrintable(label->text()));
            QVERIFY2(label->parentWidget()->rect().contains(label->geometry()),
                     qPrintable(label->text()));
        }
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (!button->isVisibleTo(window) || button->text().isEmpty()) continue;
            const int textWidth =
                button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'));
            QVERIFY2(textWidth + 6 <= button->width(), qPrintable(button->text()));
        }
        for (QGroupBox* box : window->findChildren<QGroupBox*>()) {
            const int textWidth = box->fontMetrics().horizontalAdvance(box->title());
            QVERIFY2(textWidth + 24 <= box->width(), qPrintable(box->title()));
        }
    }

private slots:
    void init() { settings = std::make_unique<TemporarySettings>(); }
    void cleanup() { settings.reset(); }

    void mainWindowSteps() {
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const char* names[] = {"main-step1", "main-step2", "main-step3"};
        QAction* steps[] = {Control<QAction>(form, "OpenClipStep"),
                            Control<QAction>(form, "SelPhoneModelStep"),
                            Control<QAction>(form, "ConvertStep")};
        for (int i = 0; i < 3; ++i) {
            steps[i]->trigger();
            CheckNothingClipped(&form);
            Save(&form, names[i]);
        }
        // The toolbar's items fit in the toolbar, none pushed into an overflow.
        for (QAction* item : Control<QToolBar>(form, "ActionToolBar")->actions()) {
            if (item->isSeparator()) continue;
            QWidget* button = Control<QToolBar>(form, "ActionToolBar")->widgetForAction(item);
            QVERIFY(button && button->isVisible());
            QVERIFY(Control<QToolBar>(form, "ActionToolBar")->rect().contains(button->geometry()));
        }
        // A run: the step items greyed.
        Control<QAction>(form, "OpenClipStep")->setEnabled(false);
        Control<QAction>(form, "SelPhoneModelStep")->setEnabled(false);
        Control<QAction>(form, "ConvertStep")->setEnabled(false);
        Control<QPushButton>(form, "btnBack")->setEnabled(false);
        Save(&form, "main-step3-busy");
    }

    void mainMenu() {
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Control<QMenu>(form, "MainMenu")->popup(form.mapToGlobal(QPoint(0, 22)));
        QVERIFY(QTest::qWaitForWindowExposed(Control<QMenu>(form, "MainMenu")));
        Save(Control<QMenu>(form, "MainMenu"), "main-menu");
        Control<QMenu>(form, "MainMenu")->hide();
    }

    void messageBoxes() {
        TMessageBoxForm one(nullptr);
        one.SetMessage("All tasks has been completed!");
        one.show();
        QVERIFY(QTest::qWaitForWindowExposed(&one));
        CheckNothingClipped(&one);
        Save(&one, "messagebox-ok");

        TMessageBoxForm two(nullptr);
        two.SetMessage("Cannot create output folder:\n/home/user/3gpVideo/new");
        two.show();
        QVERIFY(QTest::qWaitForWindowExposed(&two));
        Save(&two, "messagebox-two-lines");

        TMessageBoxForm question(nullptr);
        question.Kind = 0;
        question.SetMessage("Do you want to stop the conversion?");
        question.show();
        QVERIFY(QTest::qWaitForWindowExposed(&question));
        CheckNothingClipped(&question);
        Save(&question, "messagebox-yes-no");

        TMessageBoxForm failure(nullptr);
        failure.SetMessage(
            "Could not open source file\nInvalid data found when processing input: "
            "/home/someone/Videos/for the phone/holidays 2008/summer at the lake/day two/"
            "the long walk back to the car park/untitled clip 3.mp4\n");
        failure.show();
        QVERIFY(QTest::qWaitForWindowExposed(&failure));
        CheckNothingClipped(&failure);
        Save(&failure, "messagebox-long-error");
    }

    void aboutBox() {
        TAboutForm about(nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        CheckNothingClipped(&about);
        Save(&about, "about");
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
