// Renders step 1 with clips in the list, step 2 with its menus, and the
// Quality Settings dialog into PNG files (KESTOVAR_SCREENSHOT_DIR, else
// "screenshots" in the working folder), and checks that no control of these
// pages is clipped by its group box or reaches past the window.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

#include "AdvancedSettingsFrm.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "PopupSelector.h"
#include "SelPhoneModelPage.h"
#include "StepsTestSupport.h"
#include "TrimClipFrm.h"

using test_support::Control;

namespace {

QString ScreenshotDir() {
    QString dir = qEnvironmentVariable("KESTOVAR_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = QDir::current().filePath(QStringLiteral("screenshots"));
    QDir().mkpath(dir);
    return dir;
}

void Save(QWidget* widget, const QString& name) {
    const QString path = QDir(ScreenshotDir()).filePath(name);
    QVERIFY2(widget->grab().save(path), qPrintable(path));
}

// Every label, button and field inside the box lies within it, and its text
// fits: a label or a radio button is at least as wide as its text needs.
void ExpectFits(QGroupBox* box) {
    for (QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(box)) continue;
        const QRect inside = box->contentsRect().united(QRect(QPoint(0, 0), box->size()));
        QVERIFY2(inside.contains(child->geometry()),
                 qPrintable(child->objectName() + QStringLiteral(" leaves ") + box->title()));
        if (auto* label = qobject_cast<QLabel*>(child)) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
        if (auto* radio = qobject_cast<QRadioButton*>(child)) {
            QVERIFY2(radio->width() >= radio->sizeHint().width(),
                     qPrintable(radio->text() + QStringLiteral(" is clipped: %1 < %2")
                                                    .arg(radio->width())
                                                    .arg(radio->sizeHint().width())));
        }
    }
}

}  // namespace

class StepsScreenshotTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir clips_;
    std::unique_ptr<TMainForm> window_;
    std::unique_ptr<TAdvancedSettingsForm> dialog_;

private slots:
    void initTestCase() {
        QFile::remove(steps_test::SettingsFilePath());
        window_ = std::make_unique<TMainForm>();
        dialog_ = std::make_unique<TAdvancedSettingsForm>(window_.get(), window_.get());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanupTestCase() {
        dialog_.reset();
        window_.reset();
    }

    void stepOne() {
        const QStringList names{"Holiday in the mountains, part one.avi", "interview.mov",
                                "birthday.3gp", "concert.mpg"};
        const int widths[] = {320, 640, 176, 352};
        const int heights[] = {240, 480, 144, 288};
        for (int i = 0; i < names.size(); ++i) {
            const QString path =
                steps_test::MakeSmallVideo(clips_.filePath(names[i]), widths[i], heights[i]);
            QVERIFY(!path.isEmpty());
            window_->OpenClipPage()->FileOpenClipAccept(path);
        }
        QCOMPARE(window_->CurrentStep(), 1);
        QTest::qWait(50);
        ExpectFits(Control<QGroupBox>(window_, "gpOpenVideo"));
        Save(window_.get(), QStringLiteral("step1-clips.png"));
    }

    void trimDialog() {
        // The first clip, trimmed with an end past its known end: the
        // length follows the times and a note names the clip's end.
        SourceClipItem clip = *window_->OpenClipPage()->Clips().front();
        TTrimClipForm dialog(clip, window_.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.ebStart->setText(QStringLiteral("00:00:00.4"));
        dialog.ebEnd->setText(QStringLiteral("00:00:09"));
        QVERIFY(dialog.lbEndNote->isVisible());
        for (QWidget* child : dialog.findChildren<QWidget*>()) {
            if (!child->isVisible()) continue;
            QVERIFY2(QRect(QPoint(0, 0), dialog.size()).contains(child->geometry()),
                     qPrintable(child->objectName()));
        }
        Save(&dialog, QStringLiteral("trim-dialog.png"));
    }

    void stepTwo() {
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        Control<QRadioButton>(window_, "cbHight")->setChecked(true);
        QTest::qWait(50);
        ExpectFits(Control<QGroupBox>(window_, "gbSelPhoneModel"));
        ExpectFits(Control<QGroupBox>(window_, "gbSelQuality"));
        // The longest model text fits its field (the field scrolls otherwise).
        Save(window_.get(), QStringLiteral("step2-selectors.png"));

        // The longest manufacturer and model names.
        for (QAction* item : Control<QMenu>(window_, "PhoneManufacturerPopupActionBar")->actions())
            if (item->data().toInt() == 3) item->trigger();
        for (QAction* item : Control<QMenu>(window_, "PhoneModelPopupActionBar")->actions())
            if (item->data().toInt() == 74) item->trigger();
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->cursorPosition(), 0);
        Save(window_.get(), QStringLiteral("step2-long-model.png"));
        Control<TPopupButton>(window_, "btnSelectPhoneModel")->click();
        QTRY_VERIFY(Control<QMenu>(window_, "PhoneModelPopupActionBar")->isVisible());
        Save(Control<QMenu>(window_, "PhoneModelPopupActionBar"),
             QStringLiteral("step2-model-menu.png"));
        Control<QMenu>(window_, "PhoneModelPopupActionBar")->hide();

        Control<TPopupButton>(window_, "btnSelectResolution")->click();
        QTRY_VERIFY(Control<QMenu>(window_, "ResolutionPopupActionBar")->isVisible());
        Save(Control<QMenu>(window_, "ResolutionPopupActionBar"),
             QStringLiteral("step2-resolution-menu.png"));
        Control<QMenu>(window_, "ResolutionPopupActionBar")->hide();
    }

    void qualityDialog() {
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
        ExpectFits(dialog_->gbSettings);
        QVERIFY(QRect(QPoint(0, 0), dialog_->size()).contains(dialog_->btnClose->geometry()));
        Save(dialog_.get(), QStringLiteral("quality-settings.png"));
        dialog_->hide();
    }
};

KESTOVAR_STEPS_TEST_MAIN(StepsScreenshotTest)
#include "StepsScreenshotTest.moc"
