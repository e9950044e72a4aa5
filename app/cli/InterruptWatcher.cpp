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
std::atomic<int> Interrupted{0};

extern "C" void OnSignal(int signalNumber) {
    Interrupted = signalNumber;
}
#else
// The pipe from the signal handler to the event loop. A signal handler can
// reach nothing but a plain global; only write() is called in it.
int SignalPipe[2] = {-1, -1};

// The byte written is the signal's number.
extern "C" void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
    errno = savedErrno;
}

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// A signal the program was started with ignored (nohup's SIGHUP, SIGINT for
// a shell's background job) stays ignored.
bool Ignored(int signalNumber) {
    struct sigaction current = {};
    return sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
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

InterruptWatcher::InterruptWatcher(std::function<void(int)> onInterrupt, QObject* parent)
    : QObject(parent), OnInterrupt(std::move(onInterrupt)) {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        const int signalNumber = Interrupted.exchange(0);
        if (signalNumber == 0) return;
        // The handler was reset by the signal; it is set again for the next one.
        std::signal(signalNumber, OnSignal);
        if (OnInterrupt) OnInterrupt(signalNumber);
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

InterruptWatcher::InterruptWatcher(std::function<void(int)> onInterrupt, QObject* parent)
    : QObject(parent), OnInterrupt(std::move(onInterrupt)) {
    if (pipe(SignalPipe) != 0) return;
    for (const int fd : SignalPipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    Notifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    connect(Notifier.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        ssize_t count = 0;
        while ((count = read(SignalPipe[0], buffer, sizeof buffer)) > 0) {
            for (ssize_t i = 0; i < count; ++i) {
                if (OnInterrupt) OnInterrupt(buffer[i]);
            }
        }
    });
    for (const int signalNumber : kWatchedSignals) {
        if (Ignored(signalNumber)) continue;
        Handle(signalNumber, OnSignal, SA_RESTART);
        HandledSignals.push_back(signalNumber);
    }
}

InterruptWatcher::~InterruptWatcher() {
    if (SignalPipe[0] < 0) return;
    for (const int signalNumber : HandledSignals) Handle(signalNumber, SIG_DFL, 0);
    Notifier.reset();
    close(SignalPipe[0]);
    close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
}

#endif
