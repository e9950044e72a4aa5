#include "InterruptWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <vector>

namespace {

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

}  // namespace

struct TInterruptWatcher::TState {
    std::unique_ptr<QSocketNotifier> Notifier;
    std::vector<int> HandledSignals;  // those not ignored when the program started
};

TInterruptWatcher::TInterruptWatcher(std::function<void(int)> onInterrupt, QObject* parent)
    : QObject(parent), OnInterrupt(std::move(onInterrupt)), State(std::make_unique<TState>()) {
    if (pipe(SignalPipe) != 0) return;
    for (const int fd : SignalPipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    State->Notifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    connect(State->Notifier.get(), &QSocketNotifier::activated, this, [this] {
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
        State->HandledSignals.push_back(signalNumber);
    }
}

TInterruptWatcher::~TInterruptWatcher() {
    if (SignalPipe[0] < 0) return;
    for (const int signalNumber : State->HandledSignals) Handle(signalNumber, SIG_DFL, 0);
    State->Notifier.reset();
    close(SignalPipe[0]);
    close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
}

void TInterruptWatcher::Deliver(int signalNumber) {
    if (OnInterrupt) OnInterrupt(signalNumber);
}

bool TInterruptWatcher::IsClosedPipe(int signalNumber) {
    return signalNumber == SIGPIPE;
}
