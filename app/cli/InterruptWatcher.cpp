#include "InterruptWatcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {

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

}  // namespace

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
