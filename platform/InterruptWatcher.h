// The signals that end a run: Ctrl+C (SIGINT), SIGTERM, and where the system
// has them SIGHUP (the terminal closed) and SIGPIPE (the reader of standard
// error or output went away), each turned into a call on the main thread's
// event loop, where it is safe to ask the worker to stop. None of them ends
// the program by itself, so the output being written is never left half-done:
// the caller decides. A signal ignored when the program started (nohup's
// SIGHUP) stays ignored.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class TInterruptWatcher : public QObject {
    Q_OBJECT

public:
    // onInterrupt runs on the thread that created the watcher, once per signal,
    // with the signal's number. A write to a closed pipe fails (EPIPE) after
    // its SIGPIPE has been passed on.
    explicit TInterruptWatcher(std::function<void(int)> onInterrupt, QObject* parent = nullptr);
    ~TInterruptWatcher() override;

    // True for the signal of a closed pipe, which comes again with every
    // write and so only ever stops the run.
    static bool IsClosedPipe(int signalNumber);

    // Calls the handler with the signal's number, on the watcher's thread.
    void Deliver(int signalNumber);

private:
    struct TState;
    std::function<void(int)> OnInterrupt;
    std::unique_ptr<TState> State;  // the system's side
};
