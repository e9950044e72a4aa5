// The wizard window: its menu and toolbar, moving between the steps, and the
// commands that stay available.
#include <QAction>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <memory>

#include "AboutFrm.h"
#include "AppTitle.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "ShellTestSupport.h"

using test_support::Control;

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void open(const QUrl& url) { Urls.append(url); }
};

class NavigationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporarySettings> settings;
    std::unique_ptr<TMainForm> form;

    // The toolbar's button for the item with this text.
    QToolButton* ToolbarButton(const QString& text) {
        for (QAction* item : Control<QToolBar>(form, "ActionToolBar")->actions())
            if (item->text() == text)
                return qobject_cast<QToolButton*>(
                    Control<QToolBar>(form, "ActionToolBar")->widgetForAction(item));
        return nullptr;
    }

    void CheckStep(int step) {
        QCOMPARE(form->CurrentStep(), step);
        QCOMPARE(Control<QStackedWidget>(form, "Steps")->currentIndex(), step - 1);
        QCOMPARE(Control<QAction>(form, "OpenClipStep")->isChecked(), step == 1);
        QCOMPARE(Control<QAction>(form, "SelPhoneModelStep")->isChecked(), step == 2);
        QCOMPARE(Control<QAction>(form, "ConvertStep")->isChecked(), step == 3);
        QCOMPARE(Control<QPushButton>(form, "btnNext")->isEnabled(), step != 3);
        QCOMPARE(Control<QPushButton>(form, "btnBack")->isEnabled(), step != 1);
        // The pressed toolbar item follows the checked action.
        QCOMPARE(ToolbarButton("Step 1 - Open Video File(s)")->isChecked(), step == 1);
        QCOMPARE(ToolbarButton("Step 2 - Select Phone Model")->isChecked(), step == 2);
        QCOMPARE(ToolbarButton("Step 3 - Convert")->isChecked(), step == 3);
    }

private slots:
    void init() {
        settings = std::make_unique<TemporarySettings>();
        form = std::make_unique<TMainForm>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() {
        form.reset();
        settings.reset();
    }

    void windowAsBuilt() {
        QCOMPARE(form->windowTitle(), QString(ApplicationTitle));
        QCOMPARE(form->size(), QSize(431, 285));
        QCOMPARE(MainForm, form.get());
        QCOMPARE(Control<QAction>(form, "OpenClipStep")->text(), QString("Open Video File(s)"));
        QCOMPARE(Control<QAction>(form, "SelPhoneModelStep")->text(),
                 QString("Select Phone Model"));
        QCOMPARE(Control<QAction>(form, "ConvertStep")->text(), QString("Convert"));
        QCOMPARE(Control<QAction>(form, "FileExit")->text(), QString("E&xit"));
        QCOMPARE(Control<QAction>(form, "FileExit")->toolTip(), QString("Exit"));
        QCOMPARE(Control<QAction>(form, "FileExit")->statusTip(), QString("Quits the application"));
        QCOMPARE(Control<QAction>(form, "FileOpenClip")->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(Control<QPushButton>(form, "btnBack")->text(), QString("<<&Back"));
        QCOMPARE(Control<QPushButton>(form, "btnNext")->text(), QString("&Next>>"));
        QCOMPARE(Control<QPushButton>(form, "btnBack")->geometry(), QRect(289, 171, 60, 23));
        QCOMPARE(Control<QPushButton>(form, "btnNext")->geometry(), QRect(355, 171, 60, 23));
        QCOMPARE(Control<QStackedWidget>(form, "Steps")->geometry(), QRect(3, 0, 425, 169));
        QCOMPARE(Control<QLabel>(form, "MainFormSkinImage")->geometry(), QRect(0, 51, 431, 234));
        QCOMPARE(Control<QGroupBox>(form, "gpOpenVideo")->title(), QString("Open video file(s)"));
        QCOMPARE(Control<QGroupBox>(form, "gbSelPhoneModel")->title(),
                 QString("Select phone model"));
        QCOMPARE(Control<QGroupBox>(form, "gbSelQuality")->title(), QString("Select quality"));
        QCOMPARE(Control<QGroupBox>(form, "gbSelQuality")->geometry(), QRect(3, 100, 413, 66));
        QCOMPARE(Control<QGroupBox>(form, "gbConvertVideo")->title(),
                 QString("Convert video file(s)"));
        CheckStep(1);
    }

    void menuAndToolbarInOrder() {
        QCOMPARE(Control<QMenuBar>(form, "ActionMainMenuBar")->actions().size(), 1);
        QCOMPARE(Control<QMenuBar>(form, "ActionMainMenuBar")->actions().first()->text(),
                 QString("&Menu"));
        QStringList items;
        for (QAction* item : Control<QMenu>(form, "MainMenu")->actions())
            items << (item->isSeparator() ? QString("-") : item->text());
        QCOMPARE(items, QStringList({"&Open Video File...", "-", "Home Page", "-", "&About", "-",
                                     "E&xit"}));
        QStringList tools;
        for (QAction* item : Control<QToolBar>(form, "ActionToolBar")->actions())
            tools << (item->isSeparator() ? QString("-") : item->text());
        QCOMPARE(tools, QStringList({"Step 1 - Open Video File(s)", "-",
                                     "Step 2 - Select Phone Model", "-", "Step 3 - Convert"}));
    }

    void nextAndBackThroughTheSteps() {
        QTest::mouseClick(Control<QPushButton>(form, "btnNext"), Qt::LeftButton);
        CheckStep(2);
        QTest::mouseClick(Control<QPushButton>(form, "btnNext"), Qt::LeftButton);
        CheckStep(3);
        // Next on step 3 is disabled and does nothing.
        QTest::mouseClick(Control<QPushButton>(form, "btnNext"), Qt::LeftButton);
        form->btnNextClick();
        CheckStep(3);
        QTest::mouseClick(Control<QPushButton>(form, "btnBack"), Qt::LeftButton);
        CheckStep(2);
        QTest::mouseClick(Control<QPushButton>(form, "btnBack"), Qt::LeftButton);
        CheckStep(1);
        form->btnBackClick();
        CheckStep(1);
    }

    void toolbarItemGoesStraightToAStep() {
        QTest::mouseClick(ToolbarButton("Step 3 - Convert"), Qt::LeftButton);
        CheckStep(3);
        // Clicking the pressed item again keeps it pressed.
        QTest::mouseClick(ToolbarButton("Step 3 - Convert"), Qt::LeftButton);
        CheckStep(3);
        QTest::mouseClick(ToolbarButton("Step 1 - Open Video File(s)"), Qt::LeftButton);
        CheckStep(1);
        QTest::mouseClick(ToolbarButton("Step 2 - Select Phone Model"), Qt::LeftButton);
        CheckStep(2);
    }

    void disabledStepActionsDoNothing() {
        // As during a run: the step actions and "<<Back" are disabled.
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QAction>(form, "OpenClipStep")->setEnabled(false);
        Control<QAction>(form, "SelPhoneModelStep")->setEnabled(false);
        Control<QAction>(form, "ConvertStep")->setEnabled(false);
        Control<QPushButton>(form, "btnBack")->setEnabled(false);
        QVERIFY(!ToolbarButton("Step 1 - Open Video File(s)")->isEnabled());
        QTest::mouseClick(ToolbarButton("Step 1 - Open Video File(s)"), Qt::LeftButton);
        form->btnBackClick();
        Control<QAction>(form, "OpenClipStep")->trigger();
        QCOMPARE(form->CurrentStep(), 3);
        QVERIFY(Control<QAction>(form, "ConvertStep")->isChecked());
        // About and Exit stay available.
        QVERIFY(Control<QAction>(form, "HelpAbout")->isEnabled());
        QVERIFY(Control<QAction>(form, "FileExit")->isEnabled());
        Control<QAction>(form, "OpenClipStep")->setEnabled(true);
        QVERIFY(ToolbarButton("Step 1 - Open Video File(s)")->isEnabled());
    }

    void aboutOpensAndTheWindowIsRedrawn() {
        bool seen = false;
        OnNextModal([&](QWidget* modal) {
            seen = qobject_cast<TAboutForm*>(modal) != nullptr;
            QCOMPARE(modal->parentWidget(), form.get());
        });
        // The menu item "&About" runs the action.
        QAction* aboutItem = Control<QMenu>(form, "MainMenu")->actions().at(4);
        aboutItem->trigger();
        QVERIFY(seen);
        QCOMPARE(form->styleSheet(), TBaseSkinForm::SkinStyleSheet());
        QVERIFY(!form->styleSheet().isEmpty());
    }

    void homePageOpensTheMakersSite() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("http", &catcher, "open");
        Control<QAction>(form, "HomePage")->trigger();
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(catcher.Urls.size(), 1);
        QCOMPARE(catcher.Urls.first().scheme(), QString("http"));
        QVERIFY(catcher.Urls.first().host().endsWith(".example"));
    }

    void exitClosesTheWindow() {
        QVERIFY(form->isVisible());
        Control<QAction>(form, "FileExit")->trigger();
        QVERIFY(!form->isVisible());
    }

    void escapeAndEnterDoNotActOnTheMainWindow() {
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(form->isVisible());
        // Enter presses no button behind the user's back.
        Control<QPushButton>(form, "btnNext")->setFocus();
        form->setFocus();
        QTest::keyClick(form.get(), Qt::Key_Return);
        QTest::keyClick(form.get(), Qt::Key_Enter);
        QVERIFY(form->isVisible());
        QCOMPARE(form->CurrentStep(), 1);
    }
};

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
