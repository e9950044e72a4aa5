// The signals that end a run: Ctrl+C (SIGINT), SIGTERM, SIGHUP (the terminal
// closed) and SIGPIPE (the reader of standard error or output went away),
// each turned into a call on the main thread's event loop, where it is safe to
// ask the worker to stop. None of them ends the program by itself, so the
// output being written is never left half-done: the caller decides. A signal
// ignored when the program started (nohup's SIGHUP) stays ignored.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <vector>

class InterruptWatcher : public QObject {
    Q_OBJECT

public:
    // onInterrupt runs on the thread that created the watcher, once per signal,
    // with the signal's number. A write to a closed pipe fails (EPIPE) after
    // its SIGPIPE has been passed on.
    explicit InterruptWatcher(std::function<void(int)> onInterrupt, QObject* parent = nullptr);
    ~InterruptWatcher() override;

private:
    std::function<void(int)> OnInterrupt;
    std::unique_ptr<QSocketNotifier> Notifier;
    std::vector<int> HandledSignals;  // those not ignored when the program started
};
