// Step 3 of the wizard: the output folder, the Start/Stop button and the
// progress display, and the state of a run (see ConvertPage.h).
#include "ConvertPage.h"

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

#include "ControlFactory.h"
#include "OutputFolder.h"
#include "RunController.h"
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

}  // namespace

TConvertPage::TConvertPage(QWidget* parent, TRunController& run, const ::ClipList& clips,
                           QAction* fileOpenClip)
    : QWidget(parent), Run(run), ClipList(clips), FileOpenClip(fileOpenClip) {
    setObjectName(QStringLiteral("ConvertPage"));
    gbConvertVideo = new QGroupBox(tr("Convert video file(s)"), this);
    gbConvertVideo->setObjectName(QStringLiteral("gbConvertVideo"));
    gbConvertVideo->setGeometry(3, 3, 413, 163);

    StartConvert = new QAction(tr("Start converting"), this);
    StartConvert->setObjectName(QStringLiteral("StartConvert"));
    AbortConvert = new QAction(tr("Abort converting"), this);
    AbortConvert->setObjectName(QStringLiteral("AbortConvert"));
    FileBrowseOutFolder = new QAction(tr("Browse Output Folder"), this);
    FileBrowseOutFolder->setObjectName(QStringLiteral("FileBrowseOutFolder"));
    connect(StartConvert, &QAction::triggered, this, &TConvertPage::StartConvertExecute);
    connect(AbortConvert, &QAction::triggered, this, &TConvertPage::AbortConvertExecute);
    connect(FileBrowseOutFolder, &QAction::triggered, this,
            &TConvertPage::FileBrowseOutFolderExecute);

    lbOutFolder = new QLabel(tr("Output Folder:"), gbConvertVideo);
    lbOutFolder->setObjectName(QStringLiteral("lbOutFolder"));
    lbOutFolder->move(15, 31);
    lbOutFolder->adjustSize();
    // The settings store replaces the initial text with the stored one.
    ebOutFolder = new QLineEdit(DefaultOutputFolder(), gbConvertVideo);
    ebOutFolder->setObjectName(QStringLiteral("ebOutFolder"));
    ebOutFolder->setGeometry(92, 27, 237, 23);

    btnBrowseOutput =
        MakeButton(gbConvertVideo, "btnBrowseOutput", tr("B&rowse"), {335, 26, 60, 23});
    connect(btnBrowseOutput, &QPushButton::clicked, FileBrowseOutFolder, &QAction::trigger);
    btnOpenOutFolder =
        MakeButton(gbConvertVideo, "btnOpenOutFolder", tr("Op&en"), {335, 55, 60, 23});
    connect(btnOpenOutFolder, &QPushButton::clicked, this, &TConvertPage::btnOpenOutFolderClick);

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

    btnStartStop = MakeButton(gbConvertVideo, "btnStartStop", tr("&Start"), {335, 129, 60, 23});
    connect(btnStartStop, &QPushButton::clicked, this, &TConvertPage::btnStartStopClick);

    lbElapsedTime->setText(FormatTimeOfDay(0));
    lbTimeLeft->setText(FormatTimeOfDay(0));

    // The run's reports; each arrives while the worker waits.
    connect(&Run, &TRunController::StatusChanged, this, &TConvertPage::ShowStatus);
    connect(&Run, &TRunController::ProgressChanged, this, &TConvertPage::ShowProgress);
    connect(&Run, &TRunController::WorkerDetached, this, &TConvertPage::RunWorkerDetached);
    connect(&Run, &TRunController::IdleEntered, this, [this] { SetBusyState(false); });
    connect(&Run, &TRunController::WorkerEnded, this, &TConvertPage::RunWorkerFinished);
}

QThread::Priority TConvertPage::RunPriority() const {
    return Run.Priority();
}

void TConvertPage::SetRunPriority(QThread::Priority priority) {
    Run.SetPriority(priority);
}

TCompressThread* TConvertPage::CurrentWorker() const {
    return Run.CurrentWorker();
}

void TConvertPage::SetCurrentWorker(TCompressThread* worker) {
    Run.SetCurrentWorker(worker);
}

QString TConvertPage::OutputFolderText() const {
    return ebOutFolder->text();
}

void TConvertPage::SetOutputFolderText(const QString& text) {
    ebOutFolder->setText(text);
}

void TConvertPage::ShowMessage(const QString& text) {
    Run.ShowMessage(text);
}

void TConvertPage::btnStartStopClick() {
    if (CurrentWorker()) {
        AbortConvert->trigger();
    } else {
        StartConvert->trigger();
    }
}

void TConvertPage::StartConvertExecute() {
    // Nothing to convert: the open dialog instead, and no run whatever the
    // user chooses there.
    if (ClipList.empty()) {
        FileOpenClip->trigger();
        return;
    }
    if (CurrentWorker()) return;
    // The worker of the last run is still ending (Start is greyed until then):
    // two workers never write into the same folder at once.
    if (RunWorker()) return;

    // A clip that the media library cannot read would end the run only after
    // the clips before it: each is named now, one per message, and nothing
    // is converted.
    bool readable = true;
    for (const auto& clip : ClipList) {
        if (clip->UnreadableReason.isEmpty()) continue;
        ShowMessage(tr("%1 cannot be read:\n%2").arg(clip->DisplayName, clip->UnreadableReason));
        readable = false;
    }
    if (!readable) return;

    QString folder = ebOutFolder->text();
    if (folder.isEmpty()) {
        ShowMessage(tr("Please enter an output folder."));
        return;
    }
    // The rule both programs follow: one trailing separator goes (the box
    // shows what is left), a lone separator or "*" or "?" is refused, and a
    // missing folder is created one level deep (its parent must exist);
    // something of that name, folder or file, is taken as it is.
    const std::optional<OutputFolderProblem> problem = PrepareOutputFolder(folder);
    if (!folder.isEmpty() && folder != ebOutFolder->text()) ebOutFolder->setText(folder);
    if (problem) {
        ShowMessage(problem->Message);
        return;
    }

    // A selection that cannot be used is told by the controller.
    if (!Run.Start(ClipList, folder)) return;
    // The worker's first report is delivered only once this handler has
    // returned, so the window is busy before any report arrives.
    SetBusyState(true);
}

void TConvertPage::AbortConvertExecute() {
    if (CurrentWorker()) {
        Run.Stop();
        SetBusyState(false);
        // The stopped worker still ends its current file and reports
        // "Process stopped."; until then no new run is accepted.
        HoldStartUntilWorkerEnds();
    }
    Run.SetCurrentWorker(nullptr);
}

void TConvertPage::SetBusyState(bool busy) {
    if (busy) {
        btnStartStop->setText(tr("St&op"));
    } else {
        btnStartStop->setText(tr("&Start"));
        lbStatus->clear();
        lbStatus->setToolTip(QString());
        lbElapsedTime->setText(FormatTimeOfDay(0));
        lbTimeLeft->setText(FormatTimeOfDay(0));
    }
    const bool enabled = !busy;
    emit BusyChanged(busy);
    ebOutFolder->setEnabled(enabled);
    btnBrowseOutput->setEnabled(enabled);
}

TCompressThread* TConvertPage::RunWorker() const {
    return Run.RunWorker();
}

void TConvertPage::HoldStartUntilWorkerEnds() {
    if (!RunWorker()) return;
    StartConvert->setEnabled(false);
    btnStartStop->setEnabled(false);
    btnStartStop->setToolTip(tr("The stopped conversion is finishing its current file."));
}

void TConvertPage::RunWorkerFinished() {
    // The thread has returned from its body; a new run may start.
    StartConvert->setEnabled(true);
    btnStartStop->setEnabled(true);
    btnStartStop->setToolTip(QString());
}

void TConvertPage::FileBrowseOutFolderExecute() {
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

void TConvertPage::btnOpenOutFolderClick() {
    // Not checked and not created first; a folder that cannot be opened is
    // not reported (the file manager, if any, tells).
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QFileInfo(ebOutFolder->text()).absoluteFilePath()));
}

void TConvertPage::ShowStatus(const StatusReport& report) {
    // A status line longer than the label is cut with an ellipsis; the whole
    // line stays readable in the tooltip.
    const QString shown =
        lbStatus->fontMetrics().elidedText(report.StatusText, Qt::ElideRight, lbStatus->width());
    lbStatus->setText(shown);
    lbStatus->setToolTip(shown == report.StatusText ? QString() : report.StatusText);
    lbElapsedTime->setText(FormatTimeOfDay(report.ElapsedSeconds));
    lbTimeLeft->setText(FormatTimeOfDay(report.TimeLeftSeconds));
}

void TConvertPage::ShowProgress(int32_t currentPercent, int32_t totalPercent) {
    // A bar ignores values outside its range; the last part of a clip can
    // report a little over 100.
    ConvertProgress->setValue(std::clamp(currentPercent, 0, 100));
    TotalProgress->setValue(std::clamp(totalPercent, 0, 100));
}

void TConvertPage::RunWorkerDetached() {
    // The worker ends its run now; "Stop" would find nothing to stop and
    // "Start" must wait until the worker's thread has ended.
    HoldStartUntilWorkerEnds();
    btnStartStop->setToolTip(QString());
}
