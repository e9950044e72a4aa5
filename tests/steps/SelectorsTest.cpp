// Step 2 of the wizard and the Quality Settings dialog as a user drives them:
// the three phone menus, the quality buttons, "Customize", and the choices
// surviving a restart through the settings file.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <memory>

#include "AdvancedSettingsFrm.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "PopupSelector.h"
#include "SelPhoneModelPage.h"
#include "StepsTestSupport.h"

using test_support::Control;

namespace {

QStringList VisibleItems(const QMenu* menu) {
    QStringList texts;
    for (const QAction* item : menu->actions())
        if (item->isVisible()) texts.append(item->text());
    return texts;
}

// Chooses the menu item with the given tag, as a click on it does.
void Choose(QMenu* menu, int tag) {
    for (QAction* item : menu->actions()) {
        if (item->data().toInt() == tag) {
            item->trigger();
            return;
        }
    }
    QFAIL("no menu item with that tag");
}

// Closes the modal dialog as soon as it runs, with its "Close" button or with
// the title bar's close box.
void CloseDialogOnceShown(bool withCloseBox) {
    QTimer::singleShot(0, [withCloseBox] {
        QVERIFY(AdvancedSettingsForm->isVisible());
        if (withCloseBox) {
            AdvancedSettingsForm->close();
        } else {
            AdvancedSettingsForm->btnClose->click();
        }
    });
}

}  // namespace

class SelectorsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TMainForm> window_;
    std::unique_ptr<TAdvancedSettingsForm> dialog_;

    void Open() {
        window_ = std::make_unique<TMainForm>();
        dialog_ = std::make_unique<TAdvancedSettingsForm>(window_.get(), window_.get());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
    }
    // Exit and start again: the settings are written and read back.
    void Restart() {
        dialog_.reset();
        window_.reset();
        Open();
    }
    QStringList DialogTexts() const {
        return {dialog_->ebFramerate->text(), dialog_->ebVideoQuality->text(),
                dialog_->ebAudioQuality->text()};
    }
    void Click(QRadioButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, {8, 7}); }

private slots:
    void init() {
        QFile::remove(steps_test::SettingsFilePath());
        Open();
    }

    void cleanup() {
        dialog_.reset();
        window_.reset();
        QCOMPARE(AdvancedSettingsForm, nullptr);
    }

    void firstStartShowsTheDefaults() {
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneManufacturer")->text(),
                 QStringLiteral("Nokia"));
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Nokia N93 (320 X 240 )"));
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("320 X 240"));
        QVERIFY(Control<QRadioButton>(window_, "cbMedium")->isChecked());
        QCOMPARE(Control<QRadioButton>(window_, "cbHight")->text(), QStringLiteral("Hight"));
        QVERIFY(Control<QLineEdit>(window_, "ebPhoneModel")->isReadOnly());
        QCOMPARE(DialogTexts(), (QStringList{"14.985 fps", "80 kbps", "64 kbps"}));
        QVERIFY(!dialog_->isVisible());

        QCOMPARE(VisibleItems(Control<QMenu>(window_, "PhoneManufacturerPopupActionBar")),
                 (QStringList{"Nokia", "Motorola", "Samsung", "Sony Ericsson"}));
        QCOMPARE(Control<QMenu>(window_, "PhoneModelPopupActionBar")->actions().size(), 84);
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "PhoneModelPopupActionBar")).size(), 17);
        QCOMPARE(Control<QMenu>(window_, "ResolutionPopupActionBar")->actions().size(), 18);
        QCOMPARE(window_->SelPhoneModelPage()->SelectorMenuItemCount(), 102);
        QCOMPARE(dialog_->FrameratePopupActionBar->actions().size(), 4);
        QCOMPARE(dialog_->VideoQualityPopupActionBar->actions().size(), 14);
        QCOMPARE(dialog_->AudioQualityPopupActionBar->actions().size(), 15);
        QCOMPARE(dialog_->AudioQualityPopupActionBar->actions().first()->text(),
                 QStringLiteral("12 kbps"));
    }

    void samsungModelsAndTheH263Sizes() {
        Choose(Control<QMenu>(window_, "PhoneManufacturerPopupActionBar"), 2);
        const QStringList models =
            VisibleItems(Control<QMenu>(window_, "PhoneModelPopupActionBar"));
        QCOMPARE(models.size(), 31);
        QCOMPARE(models.count(QStringLiteral("Samsung D800/D807/D808 (176 X 144 )")), 2);
        QCOMPARE(models.first(), QStringLiteral("Samsung D500 (176 X 144 )"));
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Samsung D500 (176 X 144 )"));
        // Samsung D500 is an H.263 phone: the four standard picture formats.
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "ResolutionPopupActionBar")),
                 (QStringList{"128 X 96", "176 X 144", "352 X 288", "704 X 576"}));
        // Both D800 rows behave alike: MPEG-4, every size.
        Choose(Control<QMenu>(window_, "PhoneModelPopupActionBar"), 47);
        QCOMPARE(window_->Selection().PhoneModel, 47);
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "ResolutionPopupActionBar")).size(), 18);
        Choose(Control<QMenu>(window_, "PhoneModelPopupActionBar"), 42);
        QCOMPARE(window_->Selection().PhoneModel, 42);
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Samsung D800/D807/D808 (176 X 144 )"));
    }

    void aSizeOtherThanTheModelsOwn() {
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "ResolutionPopupActionBar")).size(), 18);
        Choose(Control<QMenu>(window_, "ResolutionPopupActionBar"), 14);
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("640 X 480"));
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Nokia N93 (320 X 240 )"));
        QCOMPARE(window_->Selection().Width, 640);
        QCOMPARE(window_->Selection().Height, 480);
        // The same model chosen again brings its own size back.
        Choose(Control<QMenu>(window_, "PhoneModelPopupActionBar"), 0);
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("320 X 240"));
        QCOMPARE(window_->Selection().Resolution, 11);
    }

    void choosingTheCurrentManufacturerChangesNothing() {
        Choose(Control<QMenu>(window_, "PhoneManufacturerPopupActionBar"), 1);
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneManufacturer")->text(),
                 QStringLiteral("Motorola"));
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Motorola E398 (176 X 144 )"));
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("176 X 144"));
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "PhoneModelPopupActionBar")).size(), 23);

        Choose(Control<QMenu>(window_, "PhoneModelPopupActionBar"), 21);  // Motorola E1000
        Choose(Control<QMenu>(window_, "ResolutionPopupActionBar"), 3);
        Choose(Control<QMenu>(window_, "PhoneManufacturerPopupActionBar"), 1);
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Motorola E1000 (640 X 480 )"));
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("160 X 120"));
        QCOMPARE(window_->Selection().PhoneModel, 21);
    }

    void anH263ModelLimitsTheSizes() {
        Choose(Control<QMenu>(window_, "PhoneModelPopupActionBar"), 9);  // Nokia 6230, H.263
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("128 X 96"));
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "ResolutionPopupActionBar")).size(), 4);
        Choose(Control<QMenu>(window_, "PhoneModelPopupActionBar"), 0);
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "ResolutionPopupActionBar")).size(), 18);
    }

    void theMenusOpenJustBelowTheirButtons() {
        // The manufacturer menu is short and far from the screen's edges, so
        // the platform leaves it where it was put.
        TPopupButton* button = Control<TPopupButton>(window_, "btnSelectPhoneManufacturer");
        QMenu* menu = Control<QMenu>(window_, "PhoneManufacturerPopupActionBar");
        button->click();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), button->parentWidget()->mapToGlobal(
                                  QPoint(button->x(), button->y() + button->height())));
        menu->hide();
        // The model menu may be moved to fit the screen; it opens all the same.
        Control<TPopupButton>(window_, "btnSelectPhoneModel")->click();
        QTRY_VERIFY(Control<QMenu>(window_, "PhoneModelPopupActionBar")->isVisible());
        Control<QMenu>(window_, "PhoneModelPopupActionBar")->hide();
    }

    void aCheckedLevelClickedAgainAppliesNothing() {
        // A hand-tuned value while Medium stays checked.
        Choose(dialog_->VideoQualityPopupActionBar, 13);
        QCOMPARE(window_->Selection().VideoQuality, 384);
        QCOMPARE(window_->Selection().Quality, 1);
        QCOMPARE(dialog_->ebVideoQuality->text(), QStringLiteral("384 kbps"));
        Click(Control<QRadioButton>(window_, "cbMedium"));
        QVERIFY(Control<QRadioButton>(window_, "cbMedium")->isChecked());
        QCOMPARE(window_->Selection().VideoQuality, 384);

        Click(Control<QRadioButton>(window_, "cbLow"));
        QVERIFY(Control<QRadioButton>(window_, "cbLow")->isChecked());
        QCOMPARE(window_->Selection().Quality, 0);
        QCOMPARE(DialogTexts(), (QStringList{"14.985 fps", "48 kbps", "48 kbps"}));
        Click(Control<QRadioButton>(window_, "cbMedium"));
        QCOMPARE(window_->Selection().VideoQuality, 80);
        QCOMPARE(window_->Selection().Quality, 1);
        QCOMPARE(DialogTexts(), (QStringList{"14.985 fps", "80 kbps", "64 kbps"}));
    }

    void bestWhileTheDialogIsHidden() {
        Click(Control<QRadioButton>(window_, "cbBest"));
        QCOMPARE(window_->Selection().Quality, 3);
        QCOMPARE(DialogTexts(), (QStringList{"25 fps", "256 kbps", "96 kbps"}));
        Click(Control<QRadioButton>(window_, "cbHight"));
        QCOMPARE(DialogTexts(), (QStringList{"14.985 fps", "160 kbps", "96 kbps"}));
    }

    void customizeEndsInCustomHoweverItCloses() {
        Click(Control<QRadioButton>(window_, "cbLow"));
        CloseDialogOnceShown(false);
        Control<QPushButton>(window_, "btnAdvanced")->click();
        QVERIFY(!dialog_->isVisible());
        QVERIFY(Control<QRadioButton>(window_, "cbCustom")->isChecked());
        QCOMPARE(window_->Selection().Quality, 4);
        // The values stay those of Low.
        QCOMPARE(window_->Selection().VideoQuality, 48);
        QCOMPARE(window_->Selection().AudioQuality, 2);

        // Opened again from Custom, a choice, and the close box.
        QTimer::singleShot(0, [this] {
            Choose(dialog_->FrameratePopupActionBar, 3);
            Choose(dialog_->AudioQualityPopupActionBar, 0);
            dialog_->close();
        });
        Control<QPushButton>(window_, "btnAdvanced")->click();
        QVERIFY(!dialog_->isVisible());
        QVERIFY(Control<QRadioButton>(window_, "cbCustom")->isChecked());
        QCOMPARE(window_->Selection().FrameRate, 3);
        QCOMPARE(window_->Selection().AudioQuality, 0);
        QCOMPARE(DialogTexts(), (QStringList{"29.97 fps", "48 kbps", "12 kbps"}));

        // From Medium, with the close box at once.
        Click(Control<QRadioButton>(window_, "cbMedium"));
        CloseDialogOnceShown(true);
        Control<QPushButton>(window_, "btnAdvanced")->click();
        QVERIFY(Control<QRadioButton>(window_, "cbCustom")->isChecked());
        QCOMPARE(window_->Selection().Quality, 4);
        QCOMPARE(window_->Selection().VideoQuality, 80);
    }

    void sizeLimitAndSoundRows() {
        QCOMPARE(dialog_->ebSizeLimit->text(), QStringLiteral("None"));
        QCOMPARE(dialog_->ebSound->text(), QStringLiteral("As recorded"));
        QStringList limits;
        for (const QAction* item : dialog_->SizeLimitPopupActionBar->actions())
            limits << item->text();
        QCOMPARE(limits, (QStringList{"None", "300 KB (MMS)", "600 KB", "1 MB", "3 MB", "10 MB"}));
        QStringList sounds;
        for (const QAction* item : dialog_->SoundPopupActionBar->actions()) sounds << item->text();
        QCOMPARE(sounds, (QStringList{"As recorded", "Even loudness"}));

        // Through "Customize": a limit makes the video bitrate the limit's.
        Click(Control<QRadioButton>(window_, "cbHight"));
        QTimer::singleShot(0, [this] {
            Choose(dialog_->SizeLimitPopupActionBar, 1);
            Choose(dialog_->SoundPopupActionBar, 1);
            QCOMPARE(dialog_->ebVideoQuality->text(), QStringLiteral("Size limit"));
            QVERIFY(!dialog_->btnSelectVideoQuality->isEnabled());
            dialog_->btnClose->click();
        });
        Control<QPushButton>(window_, "btnAdvanced")->click();
        QVERIFY(Control<QRadioButton>(window_, "cbCustom")->isChecked());
        QCOMPARE(window_->Selection().SizeLimit, 1);
        QCOMPARE(window_->Selection().EvenLoudness, 1);
        QCOMPARE(dialog_->ebSizeLimit->text(), QStringLiteral("300 KB (MMS)"));
        QCOMPARE(dialog_->ebSound->text(), QStringLiteral("Even loudness"));
        // A level's preset keeps the limit, and the field still names it.
        Click(Control<QRadioButton>(window_, "cbBest"));
        QCOMPARE(dialog_->ebVideoQuality->text(), QStringLiteral("Size limit"));

        // Both survive a restart; "None" gives the bitrate back.
        Restart();
        QCOMPARE(dialog_->ebSizeLimit->text(), QStringLiteral("300 KB (MMS)"));
        QCOMPARE(dialog_->ebSound->text(), QStringLiteral("Even loudness"));
        QVERIFY(!dialog_->btnSelectVideoQuality->isEnabled());
        Choose(dialog_->SizeLimitPopupActionBar, 0);
        QCOMPARE(dialog_->ebVideoQuality->text(), QStringLiteral("256 kbps"));
        QVERIFY(dialog_->btnSelectVideoQuality->isEnabled());
    }

    void choicesSurviveARestart() {
        Choose(Control<QMenu>(window_, "PhoneManufacturerPopupActionBar"), 3);
        Choose(Control<QMenu>(window_, "PhoneModelPopupActionBar"), 82);  // Sony Ericsson Z500/Z520
        Choose(Control<QMenu>(window_, "ResolutionPopupActionBar"), 6);
        Click(Control<QRadioButton>(window_, "cbBest"));
        Restart();
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneManufacturer")->text(),
                 QStringLiteral("Sony Ericsson"));
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Sony Ericsson Z500/Z520 (128 X 96 )"));
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("176 X 144"));
        QVERIFY(Control<QRadioButton>(window_, "cbBest")->isChecked());
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "PhoneModelPopupActionBar")).size(), 13);
        QCOMPARE(DialogTexts(), (QStringList{"25 fps", "256 kbps", "96 kbps"}));

        // Custom values come back as they were set.
        CloseDialogOnceShown(false);
        Control<QPushButton>(window_, "btnAdvanced")->click();
        Choose(dialog_->VideoQualityPopupActionBar, 2);
        Restart();
        QVERIFY(Control<QRadioButton>(window_, "cbCustom")->isChecked());
        QCOMPARE(DialogTexts(), (QStringList{"25 fps", "56 kbps", "96 kbps"}));
    }

    void aStoredBitrateOutsideTheListIsShown() {
        dialog_.reset();
        window_.reset();
        {
            QSettings settings(QStringLiteral("Brenholt"),
                               QStringLiteral("Kestovar3GPVideoConverter"));
            settings.setValue(QStringLiteral("VideoQuality"), 100);
            settings.setValue(QStringLiteral("Quality"), 4);
        }
        Open();
        QVERIFY(Control<QRadioButton>(window_, "cbCustom")->isChecked());
        QCOMPARE(dialog_->ebVideoQuality->text(), QStringLiteral("100 kbps"));
    }

    void aStoredLevelAppliesItsPreset() {
        dialog_.reset();
        window_.reset();
        {
            QSettings settings(QStringLiteral("Brenholt"),
                               QStringLiteral("Kestovar3GPVideoConverter"));
            settings.setValue(QStringLiteral("Quality"), 0);
            settings.setValue(QStringLiteral("FrameRate"), 3);
            settings.setValue(QStringLiteral("PhoneModel"), 9);
        }
        Open();
        QVERIFY(Control<QRadioButton>(window_, "cbLow")->isChecked());
        QCOMPARE(DialogTexts(), (QStringList{"14.985 fps", "48 kbps", "48 kbps"}));
        // The stored model with the resolution of the first model: the model's
        // codec decides the size menu, not the stored size.
        QCOMPARE(Control<QLineEdit>(window_, "ebPhoneModel")->text(),
                 QStringLiteral("Nokia 6230 (128 X 96 )"));
        QCOMPARE(Control<QLineEdit>(window_, "ebResolution")->text(), QStringLiteral("320 X 240"));
        QCOMPARE(VisibleItems(Control<QMenu>(window_, "ResolutionPopupActionBar")).size(), 4);
    }
};

KESTOVAR_STEPS_TEST_MAIN(SelectorsTest)
#include "SelectorsTest.moc"
