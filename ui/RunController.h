// The conversion run of the desktop program, out of the window: one worker at
// a time over a copy of the clip list, configured from the selection, and the
// host of that worker's reports.
//
// The controller is the worker's TWorkerHost. Each report arrives on the
// controller's thread (the window's) while the worker waits, and goes on at
// once as a signal to whoever shows the run (step 3), or as a message through
// the function the controller was given. It knows no page and no window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <functional>

#include "SourceClip.h"
#include "WorkerHost.h"

struct ProfileSelection;
class TCompressThread;

class TRunController : public QObject, public TWorkerHost {
    Q_OBJECT
public:
    // Shows one message to the user (a modal box over the window).
    using MessageShower = std::function<void(const QString& text)>;

    // selection: read at each start; showMessage: how failures, the end of a
    // run and the start's own refusals are told.
    TRunController(const ::ProfileSelection& selection, MessageShower showMessage,
                   QObject* parent = nullptr);
    ~TRunController() override;

    // Starts a worker over a copy of clips into folder (a folder already
    // checked) at Priority(). False, starting nothing, while a worker of an
    // earlier run still exists, and when the selection cannot be used (told).
    bool Start(const ::ClipList& clips, const QString& folder);
    // "Stop": the current worker ends its file and starts no further clip;
    // the controller lets go of it at once. RunWorker() stays until it ends.
    void Stop();
    // The window's shutdown: as Stop but without a completion message, then
    // the wait for the latest run's worker to end, serving its calls.
    void StopAndWait();

    void ShowMessage(const QString& text);

    // The worker of the current run, none when no conversion runs. Not owned:
    // a worker frees itself when it has finished.
    TCompressThread* CurrentWorker() const { return ActiveWorker; }
    // Makes worker the current run's worker (or none), as Start does with the
    // worker it creates; tests attach a worker of their own this way.
    void SetCurrentWorker(TCompressThread* worker) { ActiveWorker = worker; }
    // The worker of the latest run until its thread has ended, also after Stop
    // or its detaching; none otherwise.
    TCompressThread* RunWorker() const;

    // The priority a run's worker is started at: idle by default.
    QThread::Priority Priority() const { return ConversionPriority; }
    void SetPriority(QThread::Priority priority) { ConversionPriority = priority; }

    // TWorkerHost, on the controller's thread while the worker waits.
    QObject* HostObject() override { return this; }
    void ShowStatus(const StatusReport& report) override;
    void ShowProgress(int32_t currentPercent, int32_t totalPercent) override;
    void ShowError(const QString& errorText) override;
    void ShowCompletion(const QString& message) override;
    void DetachFromWindow(TCompressThread* worker) override;
    void EnterIdleState() override;

signals:
    void StatusChanged(const StatusReport& report);
    void ProgressChanged(int32_t currentPercent, int32_t totalPercent);
    // The current worker let go of the run by itself (it is ending); no new
    // run starts until WorkerEnded.
    void WorkerDetached();
    // The worker asks for the idle display.
    void IdleEntered();
    // The thread of the latest run's worker has ended; its clips are gone.
    void WorkerEnded();

private:
    void RunWorkerFinished();

    const ::ProfileSelection& Selection;
    MessageShower ShowMessageToUser;
    TCompressThread* ActiveWorker = nullptr;
    // The clips of the latest run: a copy of the window's list that its worker
    // reads, so that the list may change once the run is stopped while the
    // stopped worker still finishes its file. Kept until that worker has ended.
    ::ClipList RunClips;
    QPointer<TCompressThread> LastWorker;
    QThread::Priority ConversionPriority = QThread::IdlePriority;
};
