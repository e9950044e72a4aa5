// Step 1 of the wizard: the source clip list. Clips are added one at a time
// through the open dialog (or dropped onto the window), probed at once and
// listed in the grid; they can be removed, the selection moved with the
// arrows, and the selected clip played with the desktop's associated program.
#include "OpenClipPage.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>

#include "ClipProbe.h"
#include "ControlFactory.h"
#include "DesktopPlayer.h"
#include "MessageBoxFrm.h"
#include "SourceClipsGrid.h"
#include "TrimClipFrm.h"
#include "UpDownArrows.h"

namespace {

struct ClipFilter {
    const char* Text;
    const char* Patterns;
};

// The open dialog's filters, the first one chosen by default.
constexpr ClipFilter kClipFilters[] = {
    {"All Supported Files",
     "*.mpeg;*.mpg;*.m1v;*.mp2;*.mpa;*.mpe;*.avi;*.wmv;*.flv;*.mov;*.qt;*.3gp;"
     "*.mp4;*.m4v;*.mkv;*.webm;*.ts;*.m2ts;*.vob;*.ogv;*.3g2"},
    {"AVI Files (*.avi)", "*.avi"},
    {"FLV Files (*.flv)", "*.flv"},
    {"Quick Time Files (*.mov;*.qt)", "*.mov;*.qt"},
    {"Windows Media Files (*.wmv)", "*.wmv"},
    {"MPEG Video Files (*.mpeg;*.mpg;*.m1v;*.mp2;*.mpa;*.mpe)",
     "*.mpeg;*.mpg;*.m1v;*.mp2;*.mpa;*.mpe"},
    {"3GP Files (*.3gp)", "*.3gp"},
    {"All Files (*.*)", "*.*"},
};

QPushButton* MakeStepButton(QWidget* parent, const char* name, const QString& caption,
                            QRect geometry, QAction* action) {
    QPushButton* button = MakeButton(parent, name, caption, geometry);
    // The button only runs its action, and is greyed while the action is.
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button,
                     [button, action] { button->setEnabled(action->isEnabled()); });
    return button;
}

}  // namespace

QStringList TOpenClipPage::ClipFileFilters() {
    QStringList filters;
    for (const ClipFilter& filter : kClipFilters) filters.append(QString::fromLatin1(filter.Text));
    return filters;
}

TOpenClipPage::TOpenClipPage(QWidget* parent, QAction* fileOpenClip)
    : QWidget(parent), FileOpenClip(fileOpenClip) {
    setObjectName(QStringLiteral("OpenClipPage"));
    gpOpenVideo = new QGroupBox(tr("Open video file(s)"), this);
    gpOpenVideo->setObjectName(QStringLiteral("gpOpenVideo"));
    gpOpenVideo->setGeometry(3, 3, 413, 163);

    FileDeleteClip = new QAction(tr("Delete"), this);
    FileDeleteClip->setObjectName(QStringLiteral("FileDeleteClip"));
    FileDeleteClip->setEnabled(false);
    FileTrimClip = new QAction(tr("Trim"), this);
    FileTrimClip->setObjectName(QStringLiteral("FileTrimClip"));
    FileTrimClip->setEnabled(false);
    PreviewVideo = new QAction(tr("Preview Video"), this);
    PreviewVideo->setObjectName(QStringLiteral("PreviewVideo"));
    connect(FileOpenClip, &QAction::triggered, this, &TOpenClipPage::FileOpenClipExecute);
    connect(FileDeleteClip, &QAction::triggered, this, &TOpenClipPage::FileDeleteClipExecute);
    connect(FileTrimClip, &QAction::triggered, this, &TOpenClipPage::FileTrimClipExecute);
    connect(PreviewVideo, &QAction::triggered, this, &TOpenClipPage::PreviewVideoExecute);

    SourceClipsPanel = new QFrame(gpOpenVideo);
    SourceClipsPanel->setObjectName(QStringLiteral("SourceClipsPanel"));
    SourceClipsPanel->setGeometry(11, 25, 375, 98);
    SourceClipsPanel->setFrameShape(QFrame::Box);
    SourceClipsPanel->setLineWidth(1);
    SourceClipsGrid = new TSourceClipsGrid(SourceClipsPanel);
    SourceClipsGrid->setFrameShape(QFrame::NoFrame);
    SourceClipsGrid->setGeometry(SourceClipsPanel->contentsRect());

    udSourceClips = new TUpDownArrows(gpOpenVideo);
    udSourceClips->setObjectName(QStringLiteral("udSourceClips"));
    udSourceClips->setGeometry(386, 25, 17, 98);
    connect(udSourceClips, &TUpDownArrows::Click, this, &TOpenClipPage::udSourceClipsClick);

    btnAddSource =
        MakeStepButton(gpOpenVideo, "btnAddSource", tr("&Add"), {11, 130, 60, 23}, FileOpenClip);
    btnDelete =
        MakeStepButton(gpOpenVideo, "btnDelete", tr("&Delete"), {78, 130, 60, 23}, FileDeleteClip);
    btnTrim = MakeStepButton(gpOpenVideo, "btnTrim", tr("&Trim"), {145, 130, 60, 23}, FileTrimClip);
    btnPreview =
        MakeStepButton(gpOpenVideo, "btnPreview", tr("&Preview"), {335, 130, 60, 23}, PreviewVideo);

    // The Delete key removes the selected clip while step 1 has the focus.
    FileDeleteClip->setShortcut(QKeySequence::Delete);
    FileDeleteClip->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(FileDeleteClip);
    // Tab goes through the list, its arrows and the buttons as they stand.
    setTabOrder(SourceClipsGrid, udSourceClips->UpButton());
    setTabOrder(udSourceClips->UpButton(), udSourceClips->DownButton());
    setTabOrder(udSourceClips->DownButton(), btnAddSource);
    setTabOrder(btnAddSource, btnDelete);
    setTabOrder(btnDelete, btnTrim);
    setTabOrder(btnTrim, btnPreview);

    SourceClipsGrid->SetTitles({tr("File Name"), tr("Size"), tr("Duration"), tr("Resolution")});
}

void TOpenClipPage::FileOpenClipExecute() {
    const QStringList texts = ClipFileFilters();
    QStringList filters;
    for (std::size_t i = 0; i < std::size(kClipFilters); ++i) {
        // The dialog takes the patterns from the last parentheses, separated
        // by blanks, and shows only the text before them. "*" is every file
        // here: not every file name holds a dot.
        QString patterns = QString::fromLatin1(kClipFilters[i].Patterns);
        patterns.replace(u';', u' ');
        if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
        filters.append(QStringLiteral("%1 (%2)").arg(texts[i], patterns));
    }
    // A folder that has gone since is no place to start.
    const QString startPath = !LastSourceFolder_.isEmpty() && QDir(LastSourceFolder_).exists()
                                  ? LastSourceFolder_
                                  : QDir::homePath();

    QStringList chosen;
    if (ChooseClipFile) {
        chosen = ChooseClipFile(this, startPath, filters);
    } else {
        chosen = QFileDialog::getOpenFileNames(this, tr("Open"), startPath, filters.join(u";;"),
                                               nullptr, QFileDialog::HideNameFilterDetails);
    }
    chosen.removeAll(QString());
    if (chosen.isEmpty()) return;
    for (const QString& path : chosen) FileOpenClipAccept(QDir::toNativeSeparators(path));
}

void TOpenClipPage::FileOpenClipAccept(const QString& path) {
    // A path already listed (exactly: letter case counts) is selected, not
    // added again.
    const auto listed = std::find_if(ClipList.begin(), ClipList.end(), [&path](const auto& item) {
        return item->SourcePath == path;
    });
    if (listed != ClipList.end()) {
        SourceClipsGrid->SelectRow(static_cast<int>(listed - ClipList.begin()) + 1);
    } else if (const QString refusal = SourceRefusal(path); !refusal.isEmpty()) {
        // A pipe, a device or a folder is never listed: reading one could
        // wait for good.
        ShowMessageBox(1, refusal, window());
        return;
    } else {
        ClipList.push_back(ProbeClip(path));
        // The next open dialog starts in this clip's folder.
        LastSourceFolder_ = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
        const int count = static_cast<int>(ClipList.size());
        // The first clip takes the empty row the grid starts with.
        if (SourceClipsGrid->GridRowCount() <= count) {
            SourceClipsGrid->SetGridRowCount(SourceClipsGrid->GridRowCount() + 1);
        }
        SourceClipsGrid->SetClipRow(count, *ClipList.back());
        SourceClipsGrid->SelectRow(count);
        FileDeleteClip->setEnabled(true);
        FileTrimClip->setEnabled(true);
    }
    emit ClipAccepted();
}

void TOpenClipPage::FileDeleteClipExecute() {
    if (ClipList.empty()) return;
    const int row = SourceClipsGrid->SelectedRow();
    const int count = static_cast<int>(ClipList.size());
    if (row < 1 || row > count) return;

    ClipList.erase(ClipList.begin() + (row - 1));
    const int rows = SourceClipsGrid->GridRowCount();
    // The rows below move up one, with their tooltips.
    for (int k = row; k < rows - 1; ++k) {
        SourceClipsGrid->SetClipRow(k, *ClipList[static_cast<std::size_t>(k - 1)]);
    }
    if (rows > 2) {
        SourceClipsGrid->SetGridRowCount(rows - 1);
    } else {
        SourceClipsGrid->SetRowTexts(1, QStringList(4, QString()));
        SourceClipsGrid->SetRowToolTip(1, QString());
        FileDeleteClip->setEnabled(false);
        FileTrimClip->setEnabled(false);
    }
    // The clip that followed the deleted one is now selected; after the last
    // row, the new last row.
    SourceClipsGrid->SelectRow(std::min(row, SourceClipsGrid->GridRowCount() - 1));
}

void TOpenClipPage::FileTrimClipExecute() {
    const int row = SourceClipsGrid->SelectedRow();
    if (row < 1 || row > static_cast<int>(ClipList.size())) return;
    SourceClipItem& clip = *ClipList[static_cast<std::size_t>(row - 1)];
    TTrimClipForm dialog(clip, window());
    if (dialog.exec() == QDialog::Accepted) {
        SourceClipsGrid->SetClipRow(row, clip);
    }
}

void TOpenClipPage::udSourceClipsClick(int button) {
    const int row = SourceClipsGrid->SelectedRow();
    if (button == TUpDownArrows::UpperArrow) {
        if (row > 1) SourceClipsGrid->SelectRow(row - 1);
    } else if (row < SourceClipsGrid->GridRowCount() - 1) {
        SourceClipsGrid->SelectRow(row + 1);
    }
}

int TOpenClipPage::SelectedIndex() const {
    const int index = SourceClipsGrid->SelectedRow() - 1;
    return index < static_cast<int>(ClipList.size()) ? index : -1;
}

void TOpenClipPage::PreviewVideoExecute() {
    const int index = SourceClipsGrid->SelectedRow() - 1;
    if (index < 0 || index >= static_cast<int>(ClipList.size())) return;
    const SourceClipItem& clip = *ClipList[index];
    // Without a video player the desktop's choice may be this program itself,
    // whose entry claims video files: a second converter would open.
    if (OpensWithThisProgram(clip.SourcePath)) {
        ShowMessageBox(1, tr("No video player is installed to show %1.").arg(clip.DisplayName),
                       window());
        return;
    }
    // A clip the desktop cannot open is not reported: the player, if any, tells.
    QDesktopServices::openUrl(QUrl::fromLocalFile(clip.SourcePath));
}

void TOpenClipPage::ClearClipList() {
    ClipList.clear();
    if (SourceClipsGrid) SourceClipsGrid->SetGridRowCount(1);
}
