// The main window: a three-step wizard (add clips, choose the phone and the
// quality, convert) under a menu and a step toolbar.
//
// The window's handlers live in several files, one per concern:
//   MainFrm.cpp            construction: actions, menu, toolbar, pages, buttons
//   MainFrmNavigation.cpp  step switching, "<<Back"/"Next>>", Home Page, About
//   MainFrmSettings.cpp    the stored choices (LoadSettings, SaveSettings)
//   MainFrmShutdown.cpp    FormDestroy: save, stop a running worker, wait, release
//   MainFrmClips.cpp       step 1: the source clip list
//   MainFrmSelectors.cpp   step 2: the phone and quality selectors
//   (step 3: conversion control, in its own file)
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>
#include <cstdint>
#include <functional>

#include "BaseSkinFrm.h"
#include "ProfileSelection.h"
#include "SourceClip.h"
#include "WorkerHost.h"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTableWidget;
class QToolBar;
class QWidget;

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class TCompressThread;
class TPopupButton;
class TSourceClipsGrid;
class TUpDownArrows;
class TAdvancedSettingsForm;
class TMainForm;

// The two windows that live for the whole run. Each is set when its window's
// construction starts (so code that runs during the construction finds it)
// and reset to null when that construction fails; the application object
// owns and destroys the windows.
extern TMainForm* MainForm;
extern TAdvancedSettingsForm* AdvancedSettingsForm;

// The window is also the host of the conversion worker: the worker runs the
// WorkerHost procedures on the window's thread while it waits (MainFrmConvert.cpp).
class TMainForm : public TBaseSkinForm, public WorkerHost {
    Q_OBJECT
public:
    // Builds the window, restores the stored choices and settles them.
    // Throws (SettingsError) when a stored value has the wrong type.
    explicit TMainForm(QWidget* owner = nullptr);
    // Runs FormDestroy.
    ~TMainForm() override;

    // ===== The window as a whole (MainFrm.cpp, MainFrmNavigation.cpp) =====

    // The page positions of Steps.
    enum StepPage : int { OpenClipPageIndex = 0, SelPhoneModelPageIndex = 1, ConvertPageIndex = 2 };

    QMenuBar* ActionMainMenuBar = nullptr;  // one menu, "&Menu"
    QMenu* MainMenu = nullptr;
    QToolBar* ActionToolBar = nullptr;    // the three step items
    QLabel* MainFormSkinImage = nullptr;  // the background picture; holds Steps and the buttons
    QStackedWidget* Steps = nullptr;      // the notebook: one page per step
    QWidget* OpenClipPage = nullptr;
    QWidget* SelPhoneModelPage = nullptr;
    QWidget* ConvertPage = nullptr;
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

    // ===== Settings (MainFrmSettings.cpp) =====
    // Read once during construction, written once by FormDestroy.
    void LoadSettings();
    void SaveSettings();
    static void WriteIntegerSetting(const QString& path, int32_t value);
    static void WriteStringSetting(const QString& path, const QString& text);
    static bool ReadIntegerSetting(const QString& path, int32_t& value);
    static bool ReadStringSetting(const QString& path, QString& text);

    // ===== The current selection (step 2 and the Quality Settings dialog) =====
    ::ProfileSelection ProfileSelection;

    // ===== Step 1: the source clip list (MainFrmClips.cpp) =====
    // gpOpenVideo is built by the window; its controls, the handlers of
    // FileOpenClip and the other step-1 members go below.
    QGroupBox* gpOpenVideo = nullptr;  // "Open video file(s)"
    ::ClipList ClipList;               // the window owns the items
    // --- step 1 members and handlers ---
    QFrame* SourceClipsPanel = nullptr;     // frames the grid
    TSourceClipsGrid* SourceClipsGrid = nullptr;
    TUpDownArrows* udSourceClips = nullptr;  // moves the selected row
    QPushButton* btnAddSource = nullptr;     // "Add": FileOpenClip
    QPushButton* btnDelete = nullptr;        // "Delete": FileDeleteClip
    QPushButton* btnPreview = nullptr;       // "Preview": PreviewVideo
    QAction* FileDeleteClip = nullptr;       // "Delete"; disabled while the list is empty
    QAction* PreviewVideo = nullptr;         // "Preview Video"

    // Asks the user for one clip file: the dialog starts at startPath (the
    // last file chosen, or the home folder) and offers the filters in order,
    // each as "text (patterns)". Returns the chosen path, or an empty string
    // when cancelled. Empty: the platform's open dialog. Tests put their own.
    using ClipFileChooser = std::function<QString(QWidget* parent, const QString& startPath,
                                                  const QStringList& filters)>;
    ClipFileChooser ChooseClipFile;
    // The filter texts of the open dialog, in order, as the user reads them.
    static QStringList ClipFileFilters();

    void BuildOpenClipPage();
    // FileOpenClip: the open dialog, then FileOpenClipAccept with the file.
    void FileOpenClipExecute();
    // Adds the clip at path (or selects it when it is listed already) and
    // shows step 1.
    void FileOpenClipAccept(const QString& path);
    void FileDeleteClipExecute();
    // TUpDownArrows::UpperArrow or LowerArrow.
    void udSourceClipsClick(int button);
    void PreviewVideoExecute();
    // Frees every clip and leaves only the grid's title row.
    void ClearClipList();

protected:
    // Dropped files are added as if chosen in the open dialog, in order.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The last clip file chosen; the next open dialog starts there.
    QString LastClipPath;

public:

    // --- end of step 1 ---

    // ===== Step 2: phone and quality selectors (MainFrmSelectors.cpp) =====
    QGroupBox* gbSelPhoneModel = nullptr;  // "Select phone model"
    QGroupBox* gbSelQuality = nullptr;     // "Select quality"
    // --- step 2 members and handlers ---
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

    void BuildSelectorPage();
    // Opens the button's popup menu just below the button.
    void PopupButtonMenu(TPopupButton* button);
    void ShowPhoneManufacturer();
    void ShowPhoneModel();
    // Width and Height from Resolution, then the size text.
    void ShowResolution();
    void FilterPhoneModelMenu();
    void FilterResolutionMenu();
    // Write into the Quality Settings dialog; nothing while it does not exist.
    void ShowFrameRate();
    void ShowVideoQuality();
    void ShowAudioQuality();
    // Checks the radio button of ProfileSelection.Quality (Medium for any
    // number outside 0 to 4).
    void RestoreQualityLevel();
    // Fills the three selector menus and shows the phone texts, once.
    void BuildSelectorMenus();
    // Called once by the Quality Settings dialog's construction: its three
    // fields and menus.
    void BuildQualityMenus();
    // The radio button of a level (Medium for any number outside 0 to 4).
    QRadioButton* QualityButton(int level) const;

    void btnSelectPhoneManufacturerClick();
    void btnSelectPhoneModelClick();
    void btnSelectResolutionClick();
    void btnSelectFramerateClick();
    void btnSelectVideoQualityClick();
    void btnSelectAudioQualityClick();
    void OnPhoneManufacturerClick(QAction* item);
    void OnPhoneModelClick(QAction* item);
    void OnResolutionClick(QAction* item);
    void OnFramerateClick(QAction* item);
    void OnVideoQualityClick(QAction* item);
    void OnAudioQualityClick(QAction* item);
    void cbLowChange(bool checked);
    void cbMediumChange(bool checked);
    void cbHightChange(bool checked);
    void cbBestChange(bool checked);
    void cbCustomChange(bool checked);
    // "Customize": the dialog, modally; the level is Custom afterwards.
    void btnAdvancedClick();


private:
    void QualityLevelChange(int level, bool checked);

public:
    // --- end of step 2 ---

    // ===== Step 3: conversion control and progress =====
    QGroupBox* gbConvertVideo = nullptr;  // "Convert video file(s)"
    // The output folder box is built with the window because the settings
    // store restores and saves its text.
    QLabel* lbOutFolder = nullptr;  // "Output Folder:"
    QLineEdit* ebOutFolder = nullptr;
    // The worker of the current run, none when no conversion runs. The window
    // does not own it: it frees itself when it has finished.
    TCompressThread* ActiveWorker = nullptr;
    // --- step 3 members and handlers ---
    QPushButton* btnBrowseOutput = nullptr;   // "Browse": FileBrowseOutFolder
    QPushButton* btnOpenOutFolder = nullptr;  // "Open": the folder in the file manager
    QLabel* lbStatusCaption = nullptr;        // "Status:"
    QLabel* lbStatus = nullptr;               // the worker's status line
    QProgressBar* ConvertProgress = nullptr;  // the current clip, 0 to 100
    QLabel* lbElapsedTimeCaption = nullptr;   // "Elapsed Time:"
    QLabel* lbElapsedTime = nullptr;
    QLabel* lbTimeLeftCaption = nullptr;  // "Time Left:"
    QLabel* lbTimeLeft = nullptr;
    QProgressBar* TotalProgress = nullptr;   // the whole list, 0 to 100
    QPushButton* btnStartStop = nullptr;     // "Start" / "Stop"
    QAction* StartConvert = nullptr;         // "Start converting"
    QAction* AbortConvert = nullptr;         // "Abort converting"
    QAction* FileBrowseOutFolder = nullptr;  // "Browse Output Folder"

    // Asks the user for a folder, starting at startFolder; an empty string
    // when cancelled. Empty: the platform's folder dialog. Tests put their own.
    using OutputFolderChooser = std::function<QString(QWidget* parent, const QString& startFolder)>;
    OutputFolderChooser ChooseOutputFolder;
    // The priority a run's worker is started at: idle, so that a conversion
    // only takes processor time that nothing else wants.
    QThread::Priority ConversionPriority = QThread::IdlePriority;

    void BuildConvertPage();
    void btnStartStopClick();
    void StartConvertExecute();
    void AbortConvertExecute();
    void SetBusyState(bool busy);
    void FileBrowseOutFolderExecute();
    void btnOpenOutFolderClick();
    // The worker of the latest run until its thread has ended, also after
    // "Stop" or its detaching (ActiveWorker is none then); none otherwise. No
    // new run starts while it exists, and the window's destruction waits for
    // it before the clips and the media libraries go.
    TCompressThread* RunWorker() const;

    // WorkerHost: each runs on the window's thread while the worker waits.
    QObject* HostObject() override;
    void ShowStatus(const StatusReport& report) override;
    void ShowProgress(int32_t currentPercent, int32_t totalPercent) override;
    void ShowError(const QString& errorText) override;
    void ShowCompletion(const QString& message) override;
    void DetachFromWindow(TCompressThread* worker) override;
    void EnterIdleState() override;

private:
    // The run's worker has ended its thread: its clips go, Start is offered.
    void RunWorkerFinished();
    // Keeps Start from being pressed while the worker of the last run ends.
    void HoldStartUntilWorkerEnds();
    // The clips of the latest run: a copy of ClipList that its worker reads,
    // so that the list may change once the run is stopped while the stopped
    // worker still finishes its file. Kept until that worker has ended.
    ::ClipList RunClips;
    QPointer<TCompressThread> LastWorker;

public:
    // --- end of step 3 ---

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateActions();
    void CreateMenuAndToolBar();
    void CreatePages();
    // Shows step k (1 to 3): checks its action, shows its page and sets the
    // two buttons.
    void ShowStep(int step);
    // Saves the settings, stops a running worker without a completion
    // message, waits for it to end and releases the clip list. Runs once.
    void FormDestroy();

    bool Closing = false;
    bool Destroyed = false;
};
