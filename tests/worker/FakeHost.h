// A host that records every call the worker makes, with the thread it ran on.
#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <functional>
#include <vector>

#include "CompressThread.h"
#include "WorkerHost.h"

struct HostCall {
    enum Kind { Status, Progress, Error, Completion, Detach, Idle, Warning };
    explicit HostCall(Kind what, QString text = {}) : What(what), Text(std::move(text)) {}
    Kind What;
    QString Text;  // status text, error or completion message
    int32_t Current = 0;
    int32_t Total = 0;
    int64_t Elapsed = 0;
    int64_t TimeLeft = 0;
    bool OnHostThread = false;
    const void* Worker = nullptr;
};

class FakeHost : public QObject, public TWorkerHost {
public:
    QObject* HostObject() override { return this; }
    void ShowStatus(const StatusReport& r) override {
        HostCall call(HostCall::Status, r.StatusText);
        call.Total = r.TotalPercent;
        call.Elapsed = r.ElapsedSeconds;
        call.TimeLeft = r.TimeLeftSeconds;
        Record(call);
    }
    void ShowProgress(int32_t current, int32_t total) override {
        HostCall call(HostCall::Progress);
        call.Current = current;
        call.Total = total;
        Record(call);
    }
    void ShowError(const QString& text) override { Record(HostCall(HostCall::Error, text)); }
    void ShowCompletion(const QString& text) override {
        Record(HostCall(HostCall::Completion, text));
    }
    void ShowWarning(const QString& text) override { Record(HostCall(HostCall::Warning, text)); }
    void DetachFromWindow(TCompressThread* worker) override {
        HostCall call(HostCall::Detach);
        call.Worker = worker;
        Record(call);
    }
    void EnterIdleState() override { Record(HostCall(HostCall::Idle)); }

    std::vector<HostCall> Calls;
    // Runs after each recorded call, on the host's thread (the worker waits).
    std::function<void(const HostCall&)> OnCall;

    std::vector<HostCall> Of(HostCall::Kind kind) const {
        std::vector<HostCall> result;
        for (const HostCall& c : Calls) {
            if (c.What == kind) result.push_back(c);
        }
        return result;
    }

private:
    void Record(HostCall call) {
        call.OnHostThread = QThread::currentThread() == thread();
        Calls.push_back(call);
        if (OnCall) OnCall(Calls.back());
    }
};
