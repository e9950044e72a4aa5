// The main window: a three-step wizard (add clips, choose the phone and the
// quality, convert) under a menu and a step toolbar.
//
// TMainForm is the frame: the menu, the step toolbar, the notebook of the
// three pages, "<<Back" and "Next>>", the selection with the stored settings,
// and the run controller (RunController.h), which hosts the conversion worker
// and shows its messages over the window. Each step is a page class of its own
// that owns its controls and handlers:
//   OpenClipPage.h       step 1, TOpenClipPage: the source clip list
//   SelPhoneModelPage.h  step 2, TSelPhoneModelPage: the phone and quality selectors
//   ConvertPage.h        step 3, TConvertPage: the output folder, Start/Stop, progress
// The frame's own handlers live in several files, one per concern:
//   MainFrm.cpp            construction: actions, menu, toolbar, pages, buttons;
//                          files dropped onto the window or given at start-up
//   MainFrmNavigation.cpp  step switching, "<<Back"/"Next>>", Home Page, About
//   MainFrmSettings.cpp    the stored choices (LoadSettings, SaveSettings)
//   MainFrmShutdown.cpp    FormDestroy: save, stop a running worker, wait, release
//   MainFrmQuality.cpp     the Quality Settings dialog's menus and their handlers
#pragma once

#include <QStringList>

#include "BaseSkinFrm.h"
#include "ProfileSelection.h"
#include "SelectionChoices.h"

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class QToolBar;
class TAdvancedSettingsForm;
class TConvertPage;
class TMainForm;
class TOpenClipPage;
class TRunController;
class TSelPhoneModelPage;

// The two windows that live for the whole run. Each is set when its window's
// construction starts (so code that runs during the construction finds it)
// and reset to null when that construction fails; the application object
// owns and destroys the windows.
extern TMainForm* MainForm;
extern TAdvancedSettingsForm* AdvancedSettingsForm;

// Controls and actions are reached by their object names ("btnStartStop",
// "FileOpenClip"), the pages through the accessors below.
class TMainForm : public TBaseSkinForm {
    Q_OBJECT
public:
    // Builds the window, restores the stored choices and settles them.
    // Throws (TSettingsError) when a stored value has the wrong type.
    explicit TMainForm(QWidget* owner = nullptr);
    // Runs FormDestroy.
    ~TMainForm() override;

    // The page positions of Steps.
    enum StepPage : int { OpenClipPageIndex = 0, SelPhoneModelPageIndex = 1, ConvertPageIndex = 2 };

    TOpenClipPage* OpenClipPage() const { return openClipPage_; }
    TSelPhoneModelPage* SelPhoneModelPage() const { return selPhoneModelPage_; }
    TConvertPage* ConvertPage() const { return convertPage_; }
    // The conversion run: its worker, its host and its messages.
    TRunController* RunController() const { return runController_; }

    // The current selection, which step 2, the Quality Settings dialog and a
    // run's start share, and which the settings store keeps.
    ::ProfileSelection& Selection() { return ProfileSelection; }
    const ::ProfileSelection& Selection() const { return ProfileSelection; }
    // The selection's interface: every change of the pages and the dialog
    // goes through it, and it tells whoever shows the selection.
    TSelectionChoices* Choices() const { return choices_; }

    // Called once by the Quality Settings dialog's constructor: fills its six
    // menus (menus[QualityMenuIndex(choice)]) with the items of each choice,
    // in table order, each item's data its row. Each item runs its handler
    // below, which changes the selection through Choices().
    void BuildQualityMenus(const QualityMenus& menus);
    void OnFramerateClick(QAction* item);
    void OnVideoQualityClick(QAction* item);
    void OnAudioQualityClick(QAction* item);
    void OnPictureFitClick(QAction* item);
    void OnSizeLimitClick(QAction* item);
    void OnSoundClick(QAction* item);
    void OnSubtitlesClick(QAction* item);

    void OpenClipStepExecute();
    void SelPhoneModelStepExecute();
    void ConvertStepExecute();
    void btnNextClick();
    void btnBackClick();
    void HomePageExecute();
    void HelpAboutExecute();

    // The current step, 1 to 3, as the notebook shows it.
    int CurrentStep() const;

    // True from the moment the window starts to shut down: the run's
    // messages are then no longer shown (no message boxes).
    bool IsClosing() const { return Closing; }

    // The files the program was started with, added in order as the open
    // dialog adds them; names that are not files are named in one message.
    void OpenGivenFiles(const QStringList& paths);

    // Read once during construction, written once by FormDestroy.
    void LoadSettings();
    void SaveSettings();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Dropped files are added as if chosen in the open dialog, in order.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenuAndToolBar();
    void CreatePages();
    // Shows step k (1 to 3): checks its action, shows its page and sets the
    // two buttons.
    void ShowStep(int step);
    // The window's height for step k: step 2 adds its preview.
    void FitWindowToStep(int step);
    // During a run the steps, "<<Back" and adding clips are unavailable.
    void EnableNavigation(bool enabled);
    // Saves the settings, stops a running worker without a completion
    // message, waits for it to end and releases the clip list. Runs once.
    void FormDestroy();

    ::ProfileSelection ProfileSelection;
    TSelectionChoices* choices_ = nullptr;

    QMenuBar* ActionMainMenuBar = nullptr;  // one menu, "&Menu"
    QMenu* MainMenu = nullptr;
    QToolBar* ActionToolBar = nullptr;    // the three step items
    QLabel* MainFormSkinImage = nullptr;  // the background picture; holds Steps and the buttons
    QStackedWidget* Steps = nullptr;      // the notebook: one page per step
    TOpenClipPage* openClipPage_ = nullptr;
    TSelPhoneModelPage* selPhoneModelPage_ = nullptr;
    TConvertPage* convertPage_ = nullptr;
    TRunController* runController_ = nullptr;
    QPushButton* btnBack = nullptr;  // "<<Back"
    QPushButton* btnNext = nullptr;  // "Next>>"

    // The actions. Buttons, menu items and toolbar items only trigger these;
    // a disabled action does nothing.
    QAction* FileOpenClip = nullptr;       // "&Open Video File...", Ctrl+O (handled by step 1)
    QAction* OpenClipStep = nullptr;       // "Open Video File(s)", checkable, checked at start
    QAction* SelPhoneModelStep = nullptr;  // "Select Phone Model", checkable
    QAction* ConvertStep = nullptr;        // "Convert", checkable
    QAction* HomePage = nullptr;           // "Home Page"
    QAction* HelpAbout = nullptr;          // "About" (menu item "&About")
    QAction* FileExit = nullptr;           // "E&xit": closes the main window

    bool Closing = false;
    bool Destroyed = false;
};
