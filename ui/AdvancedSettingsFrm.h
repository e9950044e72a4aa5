// The "Quality Settings" dialog: frame rate, video bitrate and audio bitrate
// chosen by hand, how the picture fits the phone's screen, the size limit
// and the sound's loudness. It only shows the values: they live in the main
// window's selection, whose interface (TSelectionChoices) tells the dialog of
// every change, so the dialog writes its own fields. The main window fills
// the six menus (BuildQualityMenus), and every choice in a menu takes effect
// at once. No level changes the picture fit. "Close" (or the title bar's
// close box) only hides the dialog again.
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
    // Builds the controls, asks the main window to fill the menus and shows
    // the selection's values. The global AdvancedSettingsForm points to the
    // dialog from the start of its construction on.
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

    QMenu* SizeLimitPopupActionBar = nullptr;
    QMenu* SoundPopupActionBar = nullptr;
    QMenu* SubtitlesPopupActionBar = nullptr;

    // Writes the selection's values into the seven fields; the video bitrate's
    // button is disabled while a size limit sets the bitrate.
    void ShowSelection();

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
