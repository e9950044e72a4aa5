// The main window: a three-step wizard (add clips, choose the phone and the
// quality, convert) under a menu and a step toolbar.
//
// TMainForm is the frame: the menu, the step toolbar, the notebook of the
// three pages, "<<Back" and "Next>>", the selection with the stored settings,
// and the host of the conversion worker. Each step is a page class of its own
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
//   MainFrmHost.cpp        the window as the host of the conversion worker
#pragma once

#include <QStringList>

#include "BaseSkinFrm.h"
#include "ProfileSelection.h"
#include "WorkerHost.h"

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
class TSelPhoneModelPage;

// The two windows that live for the whole run. Each is set when its window's
// construction starts (so code that runs during the construction finds it)
// and reset to null when that construction fails; the application object
// owns and destroys the windows.
extern TMainForm* MainForm;
extern TAdvancedSettingsForm* AdvancedSettingsForm;

// The window is also the host of the conversion worker: the worker runs the
// WorkerHost procedures on the window's thread while it waits (MainFrmHost.cpp).
// Controls and actions are reached by their object names ("btnStartStop",
// "FileOpenClip"), the pages through the accessors below.
class TMainForm : public TBaseSkinForm, public WorkerHost {
    Q_OBJECT
public:
    // Builds the window, restores the stored choices and settles them.
    // Throws (SettingsError) when a stored value has the wrong type.
    explicit TMainForm(QWidget* owner = nullptr);
    // Runs FormDestroy.
    ~TMainForm() override;

    // The page positions of Steps.
    enum StepPage : int { OpenClipPageIndex = 0, SelPhoneModelPageIndex = 1, ConvertPageIndex = 2 };

    TOpenClipPage* OpenClipPage() const { return openClipPage_; }
    TSelPhoneModelPage* SelPhoneModelPage() const { return selPhoneModelPage_; }
    TConvertPage* ConvertPage() const { return convertPage_; }

    // The current selection, which step 2, the Quality Settings dialog and a
    // run's start share, and which the settings store keeps.
    ::ProfileSelection& Selection() { return ProfileSelection; }
    const ::ProfileSelection& Selection() const { return ProfileSelection; }

    void OpenClipStepExecute();
    void SelPhoneModelStepExecute();
    void ConvertStepExecute();
    void btnNextClick();
    void btnBackClick();
    void HomePageExecute();
    void HelpAboutExecute();

    // The current step, 1 to 3, as the notebook shows it.
    int CurrentStep() const;

    // True from the moment the window starts to shut down: the procedures the
    // worker calls on the window then show nothing (no message boxes).
    bool IsClosing() const { return Closing; }

    // The files the program was started with, added in order as the open
    // dialog adds them; names that are not files are named in one message.
    void OpenGivenFiles(const QStringList& paths);

    // Read once during construction, written once by FormDestroy.
    void LoadSettings();
    void SaveSettings();

    // WorkerHost: each runs on the window's thread while the worker waits.
    QObject* HostObject() override;
    void ShowStatus(const StatusReport& report) override;
    void ShowProgress(int32_t currentPercent, int32_t totalPercent) override;
    void ShowError(const QString& errorText) override;
    void ShowCompletion(const QString& message) override;
    void DetachFromWindow(TCompressThread* worker) override;
    void EnterIdleState() override;

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

    QMenuBar* ActionMainMenuBar = nullptr;  // one menu, "&Menu"
    QMenu* MainMenu = nullptr;
    QToolBar* ActionToolBar = nullptr;    // the three step items
    QLabel* MainFormSkinImage = nullptr;  // the background picture; holds Steps and the buttons
    QStackedWidget* Steps = nullptr;      // the notebook: one page per step
    TOpenClipPage* openClipPage_ = nullptr;
    TSelPhoneModelPage* selPhoneModelPage_ = nullptr;
    TConvertPage* convertPage_ = nullptr;
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
