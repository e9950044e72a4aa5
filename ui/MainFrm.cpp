// Construction of the main window: actions, menu, step toolbar, the three
// pages, and the two wizard buttons; files dropped onto the window or given
// on the command line.
#include "MainFrm.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QUrl>

#include "AppTitle.h"
#include "ControlFactory.h"
#include "ConvertPage.h"
#include "MessageBoxFrm.h"
#include "OpenClipPage.h"
#include "RunController.h"
#include "SelPhoneModelPage.h"

TMainForm* MainForm = nullptr;

namespace {

constexpr QSize MainClientSize{431, 285};
constexpr int MenuBarHeight = 22;
constexpr int ToolBarTop = MenuBarHeight + 5;
constexpr int ToolBarHeight = 24;
constexpr int BackgroundTop = ToolBarTop + ToolBarHeight;
constexpr int kStepsHeight = 169;  // the notebook's, without step 2's preview
constexpr int kButtonsTop = 171;   // "<<Back" and "Next>>", on the background

Qt::WindowFlags MainWindowFlags() {
    return Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
           Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
           Qt::WindowCloseButtonHint;
}

// Only plain files can be chosen in the open dialog, so only they are taken
// from a drop; folders and remote addresses are passed over.
QStringList DroppedClipPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isFile()) paths.append(QDir::toNativeSeparators(path));
    }
    return paths;
}

}  // namespace

TMainForm::TMainForm(QWidget* owner) : TBaseSkinForm(owner, MainClientSize, MainWindowFlags()) {
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    setWindowIcon(QIcon(QStringLiteral(":/skin/app-icon.png")));

    // The window with all its controls, actions and menus.
    CreateActions();
    CreateMenuAndToolBar();
    CreatePages();
    // Files dragged from the desktop's file manager are added as if chosen.
    setAcceptDrops(true);

    // The selection starts at its initial values (ProfileSelection's member
    // initialisers) with no worker; the stored choices replace them, and
    // stored numbers outside their tables fall back to the initial values
    // before anything looks them up.
    LoadSettings();
    for (std::string_view name : SettleRestoredSelection(ProfileSelection))
        qWarning("Stored setting '%.*s' was out of range; its initial value is used",
                 static_cast<int>(name.size()), name.data());

    // The radio button of the stored level; then the selector menus and
    // the phone texts.
    selPhoneModelPage_->RestoreQualityLevel();
    selPhoneModelPage_->BuildSelectorMenus();

    Steps->setCurrentWidget(openClipPage_);

    // From here on the media libraries are in use; with FFmpeg 5.1 formats
    // and codecs need no registration, so there is no call to make.

    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateActions() {
    FileOpenClip = new QAction(tr("&Open Video File..."), this);
    FileOpenClip->setObjectName(QStringLiteral("FileOpenClip"));
    FileOpenClip->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileOpenClip->setToolTip(tr("Open"));
    FileOpenClip->setStatusTip(tr("Opens an existing file"));
    FileOpenClip->setIcon(QIcon(QStringLiteral(":/skin/icon-open.png")));

    auto makeStep = [this](const char* name, const QString& caption, bool checked,
                           void (TMainForm::*handler)()) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(checked);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    OpenClipStep =
        makeStep("OpenClipStep", tr("Open Video File(s)"), true, &TMainForm::OpenClipStepExecute);
    SelPhoneModelStep = makeStep("SelPhoneModelStep", tr("Select Phone Model"), false,
                                 &TMainForm::SelPhoneModelStepExecute);
    ConvertStep = makeStep("ConvertStep", tr("Convert"), false, &TMainForm::ConvertStepExecute);

    HomePage = new QAction(tr("Home Page"), this);
    HomePage->setObjectName(QStringLiteral("HomePage"));
    HomePage->setIcon(QIcon(QStringLiteral(":/skin/icon-home.png")));
    connect(HomePage, &QAction::triggered, this, &TMainForm::HomePageExecute);

    HelpAbout = new QAction(tr("About"), this);
    HelpAbout->setObjectName(QStringLiteral("HelpAbout"));
    HelpAbout->setIcon(QIcon(QStringLiteral(":/skin/icon-about.png")));
    connect(HelpAbout, &QAction::triggered, this, &TMainForm::HelpAboutExecute);

    FileExit = new QAction(tr("E&xit"), this);
    FileExit->setObjectName(QStringLiteral("FileExit"));
    FileExit->setToolTip(tr("Exit"));
    FileExit->setStatusTip(tr("Quits the application"));
    FileExit->setIcon(QIcon(QStringLiteral(":/skin/icon-exit.png")));
    FileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(FileExit, &QAction::triggered, this, &QWidget::close);

    // The window's commands work without a menu being open (Ctrl+O).
    addActions({FileOpenClip, OpenClipStep, SelPhoneModelStep, ConvertStep, HomePage, HelpAbout,
                FileExit});
}

void TMainForm::CreateMenuAndToolBar() {
    // The band behind the menu bar and the toolbar, with its lower edge line.
    auto* band = new QWidget(this);
    band->setObjectName(QStringLiteral("MenuToolBand"));
    band->setGeometry(0, 0, MainClientSize.width(), BackgroundTop);

    ActionMainMenuBar = new QMenuBar(this);
    ActionMainMenuBar->setObjectName(QStringLiteral("ActionMainMenuBar"));
    ActionMainMenuBar->setNativeMenuBar(false);
    ActionMainMenuBar->setGeometry(0, 0, MainClientSize.width(), MenuBarHeight);

    MainMenu = ActionMainMenuBar->addMenu(tr("&Menu"));
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MainMenu->setToolTipsVisible(false);
    // The menu item reads "&About"; the action's own caption is "About".
    auto* aboutItem = new QAction(tr("&About"), MainMenu);
    aboutItem->setObjectName(QStringLiteral("HelpAboutItem"));
    aboutItem->setIcon(HelpAbout->icon());
    connect(aboutItem, &QAction::triggered, HelpAbout, &QAction::trigger);
    connect(HelpAbout, &QAction::changed, aboutItem,
            [this, aboutItem] { aboutItem->setEnabled(HelpAbout->isEnabled()); });
    MainMenu->addAction(FileOpenClip);
    MainMenu->addSeparator();
    MainMenu->addAction(HomePage);
    MainMenu->addSeparator();
    MainMenu->addAction(aboutItem);
    MainMenu->addSeparator();
    MainMenu->addAction(FileExit);

    ActionToolBar = new QToolBar(this);
    ActionToolBar->setObjectName(QStringLiteral("ActionToolBar"));
    ActionToolBar->setGeometry(0, ToolBarTop, MainClientSize.width(), ToolBarHeight);
    ActionToolBar->setMovable(false);
    ActionToolBar->setFloatable(false);
    ActionToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Toolbar items are proxies of the step actions with their own texts.
    auto addStepItem = [this](QAction* step, const QString& text) {
        auto* item = new QAction(text, ActionToolBar);
        item->setObjectName(step->objectName() + QStringLiteral("Item"));
        item->setCheckable(true);
        item->setChecked(step->isChecked());
        item->setEnabled(step->isEnabled());
        connect(item, &QAction::triggered, step, [step, item] {
            // The item follows its action: a click on a pressed item keeps it
            // pressed, and the action decides what is shown.
            item->setChecked(step->isChecked());
            step->trigger();
        });
        connect(step, &QAction::changed, item, [step, item] {
            item->setChecked(step->isChecked());
            item->setEnabled(step->isEnabled());
        });
        ActionToolBar->addAction(item);
    };
    addStepItem(OpenClipStep, tr("Step 1 - Open Video File(s)"));
    ActionToolBar->addSeparator();
    addStepItem(SelPhoneModelStep, tr("Step 2 - Select Phone Model"));
    ActionToolBar->addSeparator();
    addStepItem(ConvertStep, tr("Step 3 - Convert"));
}

void TMainForm::CreatePages() {
    MainFormSkinImage = new QLabel(this);
    MainFormSkinImage->setObjectName(QStringLiteral("MainFormSkinImage"));
    MainFormSkinImage->setGeometry(0, BackgroundTop, MainClientSize.width(),
                                   MainClientSize.height() - BackgroundTop);
    MainFormSkinImage->setPixmap(QPixmap(QStringLiteral(":/skin/background.png")));
    // Where the window grows (step 2's preview), the picture stays at the foot.
    MainFormSkinImage->setAlignment(Qt::AlignLeft | Qt::AlignBottom);

    Steps = new QStackedWidget(MainFormSkinImage);
    Steps->setObjectName(QStringLiteral("Steps"));
    Steps->setGeometry(3, 0, 425, kStepsHeight);

    // The pages, in step order; each builds its own controls.
    openClipPage_ = new TOpenClipPage(Steps, FileOpenClip);
    Steps->addWidget(openClipPage_);
    connect(openClipPage_, &TOpenClipPage::ClipAccepted, OpenClipStep, &QAction::trigger);
    choices_ = new TSelectionChoices(ProfileSelection, this);
    selPhoneModelPage_ = new TSelPhoneModelPage(Steps, *choices_);
    Steps->addWidget(selPhoneModelPage_);
    // The run's messages: a box over the window, none once it closes (the
    // worker is then ending and nobody is there to read them).
    runController_ = new TRunController(
        ProfileSelection,
        [this](const QString& text) {
            if (IsClosing()) return;
            ShowMessageBox(1, text, this);
            RefreshSkin();
        },
        this);
    convertPage_ = new TConvertPage(Steps, *runController_, openClipPage_->Clips(), FileOpenClip);
    Steps->addWidget(convertPage_);
    connect(convertPage_, &TConvertPage::BusyChanged, this, [this](bool busy) {
        EnableNavigation(!busy);
        selPhoneModelPage_->SetRunning(busy);
    });
    selPhoneModelPage_->SetPreviewClips(openClipPage_->Clips(),
                                        [this] { return openClipPage_->SelectedIndex(); });

    btnBack = MakeButton(MainFormSkinImage, "btnBack", tr("<<&Back"), {289, kButtonsTop, 60, 23});
    btnBack->setEnabled(false);
    btnNext = MakeButton(MainFormSkinImage, "btnNext", tr("&Next>>"), {355, kButtonsTop, 60, 23});
    connect(btnBack, &QPushButton::clicked, this, &TMainForm::btnBackClick);
    connect(btnNext, &QPushButton::clicked, this, &TMainForm::btnNextClick);
}

void TMainForm::FitWindowToStep(int step) {
    // Step 2 shows its preview below the selectors: the window grows by it.
    const int extra = step == SelPhoneModelPageIndex + 1 ? TSelPhoneModelPage::PreviewHeight() : 0;
    if (Steps->height() == kStepsHeight + extra) return;
    setFixedSize(MainClientSize.width(), MainClientSize.height() + extra);
    MainFormSkinImage->resize(MainClientSize.width(),
                              MainClientSize.height() - BackgroundTop + extra);
    Steps->resize(Steps->width(), kStepsHeight + extra);
    btnBack->move(btnBack->x(), kButtonsTop + extra);
    btnNext->move(btnNext->x(), kButtonsTop + extra);
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    // Escape closes a dialog and Enter presses its default button; the main
    // window does neither.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            QWidget::keyPressEvent(event);
            return;
        default:
            TBaseSkinForm::keyPressEvent(event);
    }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (FileOpenClip->isEnabled() && !DroppedClipPaths(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (FileOpenClip->isEnabled() && !DroppedClipPaths(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    // While a run lasts no clip may be added, as with the open dialog.
    if (!FileOpenClip->isEnabled()) {
        event->ignore();
        return;
    }
    const QStringList paths = DroppedClipPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    for (const QString& path : paths) openClipPage_->FileOpenClipAccept(path);
}

void TMainForm::OpenGivenFiles(const QStringList& paths) {
    QStringList notFiles;
    for (const QString& path : paths) {
        if (QFileInfo(path).isFile()) {
            openClipPage_->FileOpenClipAccept(path);
        } else {
            notFiles.append(path);
        }
    }
    if (notFiles.isEmpty()) return;
    ShowMessageBox(1, tr("Not a file, not added:\n%1").arg(notFiles.join(u'\n')), this);
    RefreshSkin();
}
