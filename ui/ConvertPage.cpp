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

#include "CompressThread.h"
#include "ConfigureWorker.h"
#include "ControlFactory.h"
#include "MainFrm.h"
#include "MessageBoxFrm.h"
#include "OutputFolder.h"
#include "OutputNames.h"
#include "TimeFormat.h"
#include "WorkerShutdown.h"

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

TConvertPage::TConvertPage(QWidget* parent, TMainForm& window, const ::ClipList& clips,
                           QAction* fileOpenClip)
    : QWidget(parent), Window(window), ClipList(clips), FileOpenClip(fileOpenClip) {
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
        MakeButton(gbConvertVideo, "btnBrowseOutput", tr("Browse"), {335, 26, 60, 23});
    connect(btnBrowseOutput, &QPushButton::clicked, FileBrowseOutFolder, &QAction::trigger);
    btnOpenOutFolder =
        MakeButton(gbConvertVideo, "btnOpenOutFolder", tr("Open"), {335, 55, 60, 23});
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

    btnStartStop = MakeButton(gbConvertVideo, "btnStartStop", tr("Start"), {335, 129, 60, 23});
    connect(btnStartStop, &QPushButton::clicked, this, &TConvertPage::btnStartStopClick);

    lbElapsedTime->setText(FormatTimeOfDay(0));
    lbTimeLeft->setText(FormatTimeOfDay(0));
}

QString TConvertPage::OutputFolderText() const {
    return ebOutFolder->text();
}

void TConvertPage::SetOutputFolderText(const QString& text) {
    ebOutFolder->setText(text);
}

void TConvertPage::ShowMessage(const QString& text) {
    ShowMessageBox(1, text, &Window);
    Window.RefreshSkin();
}

void TConvertPage::btnStartStopClick() {
    if (ActiveWorker) {
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
    if (ActiveWorker) return;
    // The worker of the last run is still ending (Start is greyed until then):
    // two workers never write into the same folder at once.
    if (LastWorker) return;

    QString folder = ebOutFolder->text();
    if (folder.isEmpty()) {
        ShowMessage(tr("Please enter an output folder."));
        return;
    }
    const QString trimmed = WithoutTrailingSeparator(folder);
    if (trimmed != folder) {
        folder = trimmed;
        ebOutFolder->setText(folder);
    }
    if (HasInvalidFolderCharacters(folder)) {
        ShowMessage(InvalidFolderMessage(folder));
        return;
    }
    // Something of that name, folder or file, is taken as it is; a missing
    // folder is created one level deep (its parent must exist).
    if (!EnsureFolderExists(folder)) {
        ShowMessage(CannotCreateFolderMessage(folder));
        return;
    }

    // The worker reads its own copy of the list, which lives until its thread
    // has ended; the window's list may change once the run is stopped.
    RunClips.clear();
    RunClips.reserve(ClipList.size());
    for (const auto& clip : ClipList) RunClips.push_back(std::make_unique<SourceClipItem>(*clip));

    auto* worker = new TCompressThread(RunClips, folder, Window);
    if (!ConfigureWorker(Window.Selection(), *worker)) {
        delete worker;
        RunClips.clear();
        ShowMessage(tr("The selected phone and quality settings cannot be used."));
        return;
    }
    ActiveWorker = worker;
    LastWorker = worker;
    connect(worker, &QThread::finished, this, &TConvertPage::RunWorkerFinished);
    worker->WorkPriority = ConversionPriority;
    worker->start(ConversionPriority);
    // The worker's first report is delivered only once this handler has
    // returned, so the window is busy before any report arrives.
    SetBusyState(true);
}

void TConvertPage::AbortConvertExecute() {
    if (ActiveWorker) {
        ActiveWorker->StopRequested = true;
        SetBusyState(false);
        // The stopped worker still ends its current file and reports
        // "Process stopped."; until then no new run is accepted.
        HoldStartUntilWorkerEnds();
    }
    ActiveWorker = nullptr;
}

void TConvertPage::SetBusyState(bool busy) {
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
    emit BusyChanged(busy);
    ebOutFolder->setEnabled(enabled);
    btnBrowseOutput->setEnabled(enabled);
}

TCompressThread* TConvertPage::RunWorker() const {
    return ActiveWorker ? ActiveWorker : LastWorker.data();
}

void TConvertPage::HoldStartUntilWorkerEnds() {
    if (!LastWorker) return;
    StartConvert->setEnabled(false);
    btnStartStop->setEnabled(false);
    btnStartStop->setToolTip(tr("The stopped conversion is finishing its current file."));
}

void TConvertPage::RunWorkerFinished() {
    // The thread has returned from its body: nothing reads the run's clips
    // any more, and the worker deletes itself next.
    LastWorker = nullptr;
    RunClips.clear();
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

void TConvertPage::DetachFromWindow(TCompressThread* worker) {
    if (ActiveWorker != worker) return;
    ActiveWorker = nullptr;
    // The worker ends its run now; "Stop" would find nothing to stop and
    // "Start" must wait until the worker's thread has ended.
    HoldStartUntilWorkerEnds();
    btnStartStop->setToolTip(QString());
}

void TConvertPage::StopRunAndWait() {
    // A worker that "Stop" has already stopped may still be ending its file:
    // it is waited for as well (RunWorker is the worker of the latest run
    // until its thread has ended).
    QPointer<QThread> ending = RunWorker();
    if (ActiveWorker) {
        ActiveWorker->ReportCompletion = false;
        ActiveWorker->StopRequested = true;
    }
    ActiveWorker = nullptr;
    WaitForWorkerEnd(ending);
}
