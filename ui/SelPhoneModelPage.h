// Step 2 of the wizard, the page "SelPhoneModelPage": the phone manufacturer,
// model and picture size selectors and the quality level. Every choice
// changes the window's selection through the selection's interface
// (TSelectionChoices), which tells the Quality Settings dialog; the handlers
// here only refresh the page's own texts and menus.
#pragma once

#include <QList>
#include <QWidget>
#include <functional>

#include "ProfileSelection.h"
#include "SourceClip.h"

class TSelectionChoices;

class QAction;
class QButtonGroup;
class QGroupBox;
class QImage;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableWidget;
struct ConversionParameters;
class QTimer;
class TPhoneScreen;
class TPopupButton;
class TStillMaker;

class TSelPhoneModelPage : public QWidget {
    Q_OBJECT
public:
    // choices: the window's selection, which the page shows and changes.
    TSelPhoneModelPage(QWidget* parent, TSelectionChoices& choices);

    // Checks the radio button of ProfileSelection.Quality (Medium for any
    // number outside 0 to 4).
    void RestoreQualityLevel();
    // Fills the three selector menus and shows the phone texts, once.
    void BuildSelectorMenus();

    // Opens the button's popup menu just below the button.
    void PopupButtonMenu(TPopupButton* button);
    void ShowPhoneManufacturer();
    void ShowPhoneModel();
    // Width and Height from Resolution, then the size text.
    void ShowResolution();
    void FilterPhoneModelMenu();
    void FilterResolutionMenu();
    // The radio button of a level (Medium for any number outside 0 to 4).
    QRadioButton* QualityButton(int level) const;
    // The items the two menu filters walk: resolution items, then model items.
    qsizetype SelectorMenuItemCount() const { return SelectorMenuItems.size(); }

    void btnSelectPhoneManufacturerClick();
    void btnSelectPhoneModelClick();
    void btnSelectResolutionClick();
    void OnPhoneManufacturerClick(QAction* item);
    void OnPhoneModelClick(QAction* item);
    void OnResolutionClick(QAction* item);
    void cbLowChange(bool checked);
    void cbMediumChange(bool checked);
    void cbHightChange(bool checked);
    void cbBestChange(bool checked);
    void cbCustomChange(bool checked);
    // "Customize": the dialog, modally; the level is Custom afterwards.
    void btnAdvancedClick();

    // The preview (SelPhoneModelPreview.cpp): a still of the selected clip
    // as the phone will show it, and the expected size of each clip and of
    // the whole list. clips: step 1's list; selectedClip: the row of the one
    // to show, -1 for none. Both are read whenever the preview is made anew.
    void SetPreviewClips(const ::ClipList& clips, std::function<int()> selectedClip);
    // While a run goes on nothing is made anew; at its end the preview is.
    void SetRunning(bool running);
    // Makes the preview anew once the events of the current change are done;
    // nothing while the page is hidden (it is made when it shows).
    void SchedulePreview();
    // The height the preview adds below the selectors.
    static int PreviewHeight();
    TStillMaker* StillMaker() const { return Maker; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void QualityLevelChange(int level, bool checked);
    void CreatePreview();
    void RefreshPreview();
    void ShowExpectedSizes(const ConversionParameters& parameters);
    void StillMade(const QImage& still, const QString& problem);

    TSelectionChoices& Choices;
    const ::ProfileSelection& ProfileSelection;  // what Choices holds

    QGroupBox* gbSelPhoneModel = nullptr;  // "Select phone model"
    QGroupBox* gbSelQuality = nullptr;     // "Select quality"
    QLineEdit* ebPhoneManufacturer = nullptr;
    TPopupButton* btnSelectPhoneManufacturer = nullptr;
    QMenu* PhoneManufacturerPopupActionBar = nullptr;
    QLineEdit* ebPhoneModel = nullptr;
    TPopupButton* btnSelectPhoneModel = nullptr;
    QMenu* PhoneModelPopupActionBar = nullptr;
    QLineEdit* ebResolution = nullptr;
    TPopupButton* btnSelectResolution = nullptr;
    QMenu* ResolutionPopupActionBar = nullptr;
    QRadioButton* cbLow = nullptr;
    QRadioButton* cbMedium = nullptr;
    QRadioButton* cbHight = nullptr;
    QRadioButton* cbBest = nullptr;
    QRadioButton* cbCustom = nullptr;
    QButtonGroup* QualityButtons = nullptr;
    QPushButton* btnAdvanced = nullptr;  // "Customize"
    // The items of the resolution menu (entry i is row i), then those of the
    // model menu (entry 18 + i is model row i); each item's data is its row.
    QList<QAction*> SelectorMenuItems;

    QGroupBox* gbPreview = nullptr;  // "Preview"
    TPhoneScreen* PhonePreview = nullptr;
    QTableWidget* ExpectedSizes = nullptr;  // each clip's name and expected size
    QLabel* lbTotalSize = nullptr;          // the whole list's
    TStillMaker* Maker = nullptr;
    QTimer* PreviewTimer = nullptr;
    const ::ClipList* PreviewClips = nullptr;
    std::function<int()> SelectedClip;
    bool Running = false;
};
