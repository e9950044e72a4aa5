#include "InterruptWatcher.h"

#include <csignal>

#ifdef Q_OS_WIN
#include <QTimer>
#include <atomic>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

#ifdef Q_OS_WIN
// Set by the handler, polled by the event loop: a lock-free atomic is all a
// signal handler may touch.
std::atomic<bool> Interrupted{false};

extern "C" void OnSignal(int) {
    Interrupted = true;
}
#else
// The pipe from the signal handler to the event loop. A signal handler can
// reach nothing but a plain global; only write() is called in it.
int SignalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
    errno = savedErrno;
}

void Handle(int signalNumber, void (*handler)(int), int flags) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signalNumber, &action, nullptr);
}
#endif

}  // namespace

#ifdef Q_OS_WIN

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent), OnInterrupt(std::move(onInterrupt)) {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        if (!Interrupted.exchange(false)) return;
        // The handler was reset by the signal: the next Ctrl+C ends the program.
        if (OnInterrupt) OnInterrupt();
    });
    timer->start(100);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
}

InterruptWatcher::~InterruptWatcher() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

#else

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent), OnInterrupt(std::move(onInterrupt)) {
    if (pipe(SignalPipe) != 0) return;
    for (const int fd : SignalPipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    Notifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    connect(Notifier.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (read(SignalPipe[0], buffer, sizeof buffer) > 0) {
        }
        if (OnInterrupt) OnInterrupt();
    });
    Handle(SIGINT, OnSignal, SA_RESTART | SA_RESETHAND);
    Handle(SIGTERM, OnSignal, SA_RESTART | SA_RESETHAND);
}

InterruptWatcher::~InterruptWatcher() {
    if (SignalPipe[0] < 0) return;
    Handle(SIGINT, SIG_DFL, 0);
    Handle(SIGTERM, SIG_DFL, 0);
    Notifier.reset();
    close(SignalPipe[0]);
    close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
}

#endif
