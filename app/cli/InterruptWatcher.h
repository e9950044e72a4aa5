// Ctrl+C (SIGINT) and SIGTERM during a run, turned into a call on the main
// thread's event loop, where it is safe to ask the worker to stop.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

class InterruptWatcher : public QObject {
    Q_OBJECT

public:
    // onInterrupt runs on the thread that created the watcher, once per signal.
    // The first signal restores the default action, so a second Ctrl+C ends the
    // program at once.
    explicit InterruptWatcher(std::function<void()> onInterrupt, QObject* parent = nullptr);
    ~InterruptWatcher() override;

private:
    std::function<void()> OnInterrupt;
    std::unique_ptr<QSocketNotifier> Notifier;
};
