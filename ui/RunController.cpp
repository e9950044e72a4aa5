#include "RunController.h"

#include "CompressThread.h"
#include "ConfigureWorker.h"
#include "Process.h"
#include "ProfileSelection.h"
#include "WorkerShutdown.h"

TRunController::TRunController(const ::ProfileSelection& selection, MessageShower showMessage,
                               QObject* parent)
    : QObject(parent), Selection(selection), ShowMessageToUser(std::move(showMessage)) {
    setObjectName(QStringLiteral("RunController"));
}

TRunController::~TRunController() = default;

bool TRunController::Start(const ::ClipList& clips, const QString& folder) {
    // Two workers never write into the same folder at once.
    if (ActiveWorker || LastWorker) return false;

    // The worker reads its own copy of the list, which lives until its thread
    // has ended; the window's list may change once the run is stopped.
    RunClips.clear();
    RunClips.reserve(clips.size());
    for (const auto& clip : clips) RunClips.push_back(std::make_unique<SourceClipItem>(*clip));

    auto* worker = new TCompressThread(RunClips, folder, *this);
    if (!ConfigureWorker(Selection, *worker)) {
        delete worker;
        RunClips.clear();
        ShowMessage(tr("The selected phone and quality settings cannot be used."));
        return false;
    }
    ActiveWorker = worker;
    LastWorker = worker;
    connect(worker, &QThread::finished, this, &TRunController::RunWorkerFinished);
    worker->WorkPriority = ConversionPriority;
    platform::ReturnFreedMemory();
    worker->start(ConversionPriority);
    return true;
}

void TRunController::Stop() {
    if (ActiveWorker) ActiveWorker->StopRequested = true;
    ActiveWorker = nullptr;
}

void TRunController::StopAndWait() {
    // A worker that Stop has already stopped may still be ending its file:
    // it is waited for as well.
    QPointer<QThread> ending = RunWorker();
    if (ActiveWorker) {
        ActiveWorker->ReportCompletion = false;
        ActiveWorker->StopRequested = true;
    }
    ActiveWorker = nullptr;
    WaitForWorkerEnd(ending);
}

void TRunController::ShowMessage(const QString& text) {
    if (ShowMessageToUser) ShowMessageToUser(text);
}

TCompressThread* TRunController::RunWorker() const {
    return ActiveWorker ? ActiveWorker : LastWorker.data();
}

void TRunController::RunWorkerFinished() {
    // The thread has returned from its body: nothing reads the run's clips
    // any more, and the worker deletes itself next.
    LastWorker = nullptr;
    RunClips.clear();
    emit WorkerEnded();
}

void TRunController::ShowStatus(const StatusReport& report) {
    emit StatusChanged(report);
}

void TRunController::ShowProgress(int32_t currentPercent, int32_t totalPercent) {
    emit ProgressChanged(currentPercent, totalPercent);
}

void TRunController::ShowError(const QString& errorText) {
    ShowMessage(errorText);
}

void TRunController::ShowCompletion(const QString& message) {
    ShowMessage(message);
}

void TRunController::DetachFromWindow(TCompressThread* worker) {
    // A controller that moved on (Stop, then a new run) keeps its own worker.
    if (ActiveWorker != worker) return;
    ActiveWorker = nullptr;
    emit WorkerDetached();
}

void TRunController::EnterIdleState() {
    emit IdleEntered();
}
