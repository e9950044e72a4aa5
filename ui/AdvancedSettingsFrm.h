// The "Quality Settings" dialog: frame rate, video bitrate and audio bitrate
// chosen by hand, how the picture fits the phone's screen, the size limit
// and the sound's loudness. It only shows the values: they live in the main
// window's selection, the main window writes the quality values, the size
// limit and the sound into their fields and fills their menus, and every
// choice in a menu takes effect at once. The picture row is the dialog's own:
// the fit is no quality value, and no level changes it. "Close" (or the
// title bar's close box) only hides the dialog again.
#pragma once

#include "BaseSkinFrm.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class TMainForm;
class TPopupButton;

class TAdvancedSettingsForm : public TBaseSkinForm {
    Q_OBJECT
public:
    // Builds the controls and asks the main window to fill the fields and the
    // menus. The global AdvancedSettingsForm points to the dialog from the
    // start of its construction on, so the main window's helpers can write
    // into it while the menus are being filled.
    // owner: the window the dialog is shown over (the main window).
    explicit TAdvancedSettingsForm(TMainForm* mainForm, QWidget* owner = nullptr);
    ~TAdvancedSettingsForm() override;

    QGroupBox* gbSettings = nullptr;
    QLabel* lbFramerate = nullptr;
    QLineEdit* ebFramerate = nullptr;
    TPopupButton* btnSelectFramerate = nullptr;
    QLabel* lbVideoQuality = nullptr;
    QLineEdit* ebVideoQuality = nullptr;
    TPopupButton* btnSelectVideoQuality = nullptr;
    QLabel* lbAudioQuality = nullptr;
    QLineEdit* ebAudioQuality = nullptr;
    TPopupButton* btnSelectAudioQuality = nullptr;
    QLabel* lbPictureFit = nullptr;
    QLineEdit* ebPictureFit = nullptr;
    TPopupButton* btnSelectPictureFit = nullptr;
    QLabel* lbSizeLimit = nullptr;
    QLineEdit* ebSizeLimit = nullptr;
    TPopupButton* btnSelectSizeLimit = nullptr;
    QLabel* lbSound = nullptr;
    QLineEdit* ebSound = nullptr;
    TPopupButton* btnSelectSound = nullptr;
    QLabel* lbSubtitles = nullptr;
    QLineEdit* ebSubtitles = nullptr;
    TPopupButton* btnSelectSubtitles = nullptr;
    QPushButton* btnClose = nullptr;

    QMenu* FrameratePopupActionBar = nullptr;
    QMenu* VideoQualityPopupActionBar = nullptr;
    QMenu* AudioQualityPopupActionBar = nullptr;
    QMenu* PictureFitPopupActionBar = nullptr;

    // Writes the selection's picture fit into its field.
    void ShowPictureFit();
    QMenu* SizeLimitPopupActionBar = nullptr;
    QMenu* SoundPopupActionBar = nullptr;
    QMenu* SubtitlesPopupActionBar = nullptr;

    // Writes the selection's subtitle choice into its field.
    void ShowSubtitles();

private slots:
    void btnSelectFramerateClick();
    void btnSelectVideoQualityClick();
    void btnSelectAudioQualityClick();
    void btnSelectPictureFitClick();
    void btnSelectSizeLimitClick();
    void btnSelectSoundClick();
    void btnSelectSubtitlesClick();
    void btnCloseClick();

private:
    // Moves the fields right of the widest label and widens them to their
    // widest item where the installed font needs more room than the layout
    // was made for; the group box and the dialog grow with them.
    void FitToFont();

    TMainForm* mainForm_;
};

// The one Quality Settings dialog of the application; null until it is being
// created and again once it is gone.
extern TAdvancedSettingsForm* AdvancedSettingsForm;
