// Step 3 of the wizard: the output folder, the Start/Stop button and the
// progress display, and the window as the host of the conversion worker.
//
// A run: "Start" checks the output folder, creates one worker over a copy of
// the clip list, configures it from the selection, starts it at idle priority
// and turns the window busy. The worker reports through the WorkerHost
// procedures below, each run on this window's thread while the worker waits.
// "Stop" asks the worker to stop and turns the window idle at once; the
// stopped worker still ends its current file, and no new run is accepted
// until its thread has ended ("Start" is greyed meanwhile).
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

#include "CompressThread.h"
#include "ConfigureWorker.h"
#include "ControlFactory.h"
#include "MainFrm.h"
#include "MessageBoxFrm.h"
#include "OutputFolder.h"
#include "OutputNames.h"
#include "TimeFormat.h"

namespace {

// A label of fixed width whose text changes during a run.
QLabel* MakeFixedLabel(QWidget* parent, const char* name, QPoint position, int width) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(position.x(), position.y(), width, label->fontMetrics().height() + 2);
    return label;
}

QProgressBar* MakeProgressBar(QWidget* parent, const char* name, QRect geometry) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setGeometry(geometry);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// The folder text less one trailing path separator. A text that is nothing
// but one separator (the root folder) stays as it is: without it nothing
// would be left to name a folder.
QString WithoutTrailingSeparator(const QString& text) {
    if (text.size() > 1 && IsPathSeparator(text.back())) return text.chopped(1);
    return text;
}

}  // namespace

void TMainForm::BuildConvertPage() {
    StartConvert = new QAction(tr("Start converting"), this);
    StartConvert->setObjectName(QStringLiteral("StartConvert"));
    AbortConvert = new QAction(tr("Abort converting"), this);
    AbortConvert->setObjectName(QStringLiteral("AbortConvert"));
    FileBrowseOutFolder = new QAction(tr("Browse Output Folder"), this);
    FileBrowseOutFolder->setObjectName(QStringLiteral("FileBrowseOutFolder"));
    connect(StartConvert, &QAction::triggered, this, &TMainForm::StartConvertExecute);
    connect(AbortConvert, &QAction::triggered, this, &TMainForm::AbortConvertExecute);
    connect(FileBrowseOutFolder, &QAction::triggered, this, &TMainForm::FileBrowseOutFolderExecute);

    // "Output Folder:" and ebOutFolder are built with the window (the settings
    // store restores the folder's text).
    btnBrowseOutput =
        MakeButton(gbConvertVideo, "btnBrowseOutput", tr("Browse"), {335, 26, 60, 23});
    connect(btnBrowseOutput, &QPushButton::clicked, FileBrowseOutFolder, &QAction::trigger);
    btnOpenOutFolder =
        MakeButton(gbConvertVideo, "btnOpenOutFolder", tr("Open"), {335, 55, 60, 23});
    connect(btnOpenOutFolder, &QPushButton::clicked, this, &TMainForm::btnOpenOutFolderClick);

    lbStatusCaption = MakeLabel(gbConvertVideo, "lbStatusCaption", tr("Status:"), {14, 66}, true);
    lbStatus = MakeFixedLabel(gbConvertVideo, "lbStatus", {60, 66}, 267);
    ConvertProgress = MakeProgressBar(gbConvertVideo, "ConvertProgress", {14, 85, 315, 16});

    // The times take the locale's long time format, which may be wider than
    // the 44 pixels a 24-hour "0:00:00" needs ("12:00:00 AM", say).
    lbElapsedTimeCaption =
        MakeLabel(gbConvertVideo, "lbElapsedTimeCaption", tr("Elapsed Time:"), {14, 114}, true);
    lbTimeLeftCaption =
        MakeLabel(gbConvertVideo, "lbTimeLeftCaption", tr("Time Left:"), {219, 114}, true);
    const int timeWidth =
        std::max(44, lbStatusCaption->fontMetrics().horizontalAdvance(FormatTimeOfDay(86399)) + 2);
    lbElapsedTime = MakeFixedLabel(gbConvertVideo, "lbElapsedTime", {96, 114}, timeWidth);
    // The time left ends at the progress bars' right edge at the latest.
    const int timeLeftLeft = std::min(281, 14 + 315 - timeWidth);
    lbTimeLeft = MakeFixedLabel(gbConvertVideo, "lbTimeLeft", {timeLeftLeft, 114}, timeWidth);
    if (timeLeftLeft < 281) lbTimeLeftCaption->move(timeLeftLeft - 62, 114);
    TotalProgress = MakeProgressBar(gbConvertVideo, "TotalProgress", {14, 134, 315, 16});

    btnStartStop = MakeButton(gbConvertVideo, "btnStartStop", tr("Start"), {335, 129, 60, 23});
    connect(btnStartStop, &QPushButton::clicked, this, &TMainForm::btnStartStopClick);
}

void TMainForm::btnStartStopClick() {
    if (ActiveWorker) {
        AbortConvert->trigger();
    } else {
        StartConvert->trigger();
    }
}

void TMainForm::StartConvertExecute() {
    // Nothing to convert: the open dialog instead, and no run whatever the
    // user chooses there.
    if (ClipList.empty()) {
        FileOpenClip->trigger();
        return;
    }
    if (ActiveWorker) return;
    // The worker of the last run is still ending (Start is greyed until then):
    // two workers never write into the same folder at once.
    if (LastWorker) return;

    QString folder = ebOutFolder->text();
    if (folder.isEmpty()) {
        ShowMessageBox(1, tr("Please enter an output folder."), this);
        RefreshSkin();
        return;
    }
    const QString trimmed = WithoutTrailingSeparator(folder);
    if (trimmed != folder) {
        folder = trimmed;
        ebOutFolder->setText(folder);
    }
    if (HasInvalidFolderCharacters(folder)) {
        ShowMessageBox(1, InvalidFolderMessage(folder), this);
        RefreshSkin();
        return;
    }
    // Something of that name, folder or file, is taken as it is; a missing
    // folder is created one level deep (its parent must exist).
    if (!EnsureFolderExists(folder)) {
        ShowMessageBox(1, CannotCreateFolderMessage(folder), this);
        RefreshSkin();
        return;
    }

    // The worker reads its own copy of the list, which lives until its thread
    // has ended; the window's list may change once the run is stopped.
    RunClips.clear();
    RunClips.reserve(ClipList.size());
    for (const auto& clip : ClipList) RunClips.push_back(std::make_unique<SourceClipItem>(*clip));

    auto* worker = new TCompressThread(RunClips, folder, *this);
    if (!ConfigureWorker(ProfileSelection, *worker)) {
        delete worker;
        RunClips.clear();
        ShowMessageBox(1, tr("The selected phone and quality settings cannot be used."), this);
        RefreshSkin();
        return;
    }
    ActiveWorker = worker;
    LastWorker = worker;
    connect(worker, &QThread::finished, this, &TMainForm::RunWorkerFinished);
    worker->WorkPriority = ConversionPriority;
    worker->start(ConversionPriority);
    // The worker's first report is delivered only once this handler has
    // returned, so the window is busy before any report arrives.
    SetBusyState(true);
}

void TMainForm::AbortConvertExecute() {
    if (ActiveWorker) {
        ActiveWorker->StopRequested = true;
        SetBusyState(false);
        // The stopped worker still ends its current file and reports
        // "Process stopped."; until then no new run is accepted.
        HoldStartUntilWorkerEnds();
    }
    ActiveWorker = nullptr;
}

void TMainForm::SetBusyState(bool busy) {
    if (busy) {
        btnStartStop->setText(tr("Stop"));
    } else {
        btnStartStop->setText(tr("Start"));
        lbStatus->clear();
        lbStatus->setToolTip(QString());
        lbElapsedTime->setText(FormatTimeOfDay(0));
        lbTimeLeft->setText(FormatTimeOfDay(0));
    }
    const bool enabled = !busy;
    OpenClipStep->setEnabled(enabled);
    SelPhoneModelStep->setEnabled(enabled);
    ConvertStep->setEnabled(enabled);
    FileOpenClip->setEnabled(enabled);
    // "<<Back" has nothing to go back to on step 1 (the stopped worker's end
    // may find the window there).
    btnBack->setEnabled(enabled && CurrentStep() != 1);
    ebOutFolder->setEnabled(enabled);
    btnBrowseOutput->setEnabled(enabled);
}

TCompressThread* TMainForm::RunWorker() const {
    return ActiveWorker ? ActiveWorker : LastWorker.data();
}

void TMainForm::HoldStartUntilWorkerEnds() {
    if (!LastWorker) return;
    StartConvert->setEnabled(false);
    btnStartStop->setEnabled(false);
    btnStartStop->setToolTip(tr("The stopped conversion is finishing its current file."));
}

void TMainForm::RunWorkerFinished() {
    // The thread has returned from its body: nothing reads the run's clips
    // any more, and the worker deletes itself next.
    LastWorker = nullptr;
    RunClips.clear();
    StartConvert->setEnabled(true);
    btnStartStop->setEnabled(true);
    btnStartStop->setToolTip(QString());
}

void TMainForm::FileBrowseOutFolderExecute() {
    const QString start = ebOutFolder->text();
    QString chosen;
    if (ChooseOutputFolder) {
        chosen = ChooseOutputFolder(this, start);
    } else {
        chosen = QFileDialog::getExistingDirectory(this, tr("Select Output Folder"), start,
                                                   QFileDialog::ShowDirsOnly);
    }
    // Cancelled: nothing changes. The folder is checked at the next start.
    if (chosen.isEmpty()) return;
    ebOutFolder->setText(QDir::toNativeSeparators(chosen));
}

void TMainForm::btnOpenOutFolderClick() {
    // Not checked and not created first; a folder that cannot be opened is
    // not reported (the file manager, if any, tells).
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QFileInfo(ebOutFolder->text()).absoluteFilePath()));
}

// ===== The window as the worker's host: on this thread, the worker waiting =====

QObject* TMainForm::HostObject() {
    return this;
}

void TMainForm::ShowStatus(const StatusReport& report) {
    // A status line longer than the label is cut with an ellipsis; the whole
    // line stays readable in the tooltip.
    const QString shown =
        lbStatus->fontMetrics().elidedText(report.StatusText, Qt::ElideRight, lbStatus->width());
    lbStatus->setText(shown);
    lbStatus->setToolTip(shown == report.StatusText ? QString() : report.StatusText);
    lbElapsedTime->setText(FormatTimeOfDay(report.ElapsedSeconds));
    lbTimeLeft->setText(FormatTimeOfDay(report.TimeLeftSeconds));
}

void TMainForm::ShowProgress(int32_t currentPercent, int32_t totalPercent) {
    // A bar ignores values outside its range; the last part of a clip can
    // report a little over 100.
    ConvertProgress->setValue(std::clamp(currentPercent, 0, 100));
    TotalProgress->setValue(std::clamp(totalPercent, 0, 100));
}

void TMainForm::ShowError(const QString& errorText) {
    // While the window closes no message is shown; the worker is ending.
    if (IsClosing()) return;
    ShowMessageBox(1, errorText, this);
    RefreshSkin();
}

void TMainForm::ShowCompletion(const QString& message) {
    if (IsClosing()) return;
    ShowMessageBox(1, message, this);
    RefreshSkin();
}

void TMainForm::DetachFromWindow(TCompressThread* worker) {
    if (ActiveWorker != worker) return;
    ActiveWorker = nullptr;
    // The worker ends its run now; "Stop" would find nothing to stop and
    // "Start" must wait until the worker's thread has ended.
    HoldStartUntilWorkerEnds();
    btnStartStop->setToolTip(QString());
}

void TMainForm::EnterIdleState() {
    SetBusyState(false);
}
