// The side of a conversion run that shows it: the main window, or the
// command-line program. The worker calls each of these on the host object's
// thread and waits until the call has returned (a blocking queued call when the
// host lives on another thread), so a host may read and show freely.
#pragma once

#include <QString>
#include <cstdint>

class QObject;
class TCompressThread;

struct StatusReport {
    QString StatusText;           // "Converting - holiday.avi", or empty
    int64_t ElapsedSeconds = 0;   // since the run started
    int64_t TimeLeftSeconds = 0;  // estimate; 0 while nothing is known
    int32_t TotalPercent = 0;
    // The clip being converted, counted from 1 in the run's order; 0 when none.
    // Two clips of one name tell apart by it.
    int32_t ClipNumber = 0;
};

class TWorkerHost {
public:
    virtual ~TWorkerHost() = default;
    // The object whose thread runs the calls below.
    virtual QObject* HostObject() = 0;
    virtual void ShowStatus(const StatusReport& report) = 0;
    virtual void ShowProgress(int32_t currentPercent, int32_t totalPercent) = 0;
    // A failure that ended the run, exactly as the engine words it.
    virtual void ShowError(const QString& errorText) = 0;
    // "All tasks has been completed!" or "Process stopped.", with a second line
    // naming the clips whose damaged parts were passed over, if any.
    virtual void ShowCompletion(const QString& message) = 0;
    // A clip converted, but with damaged parts of its source passed over. The
    // window leaves this to the completion message; a log shows it at once.
    virtual void ShowWarning(const QString& text) { (void)text; }
    // A remark on how a clip is converted, for a detailed log only.
    virtual void ShowRemark(const QString& text) { (void)text; }
    // The worker is about to end: a host that still refers to this worker as
    // its active one lets go of it; a host that moved on leaves its own.
    virtual void DetachFromWindow(TCompressThread* worker) = 0;
    virtual void EnterIdleState() = 0;
};
