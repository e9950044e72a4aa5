// The console's events as the signals of the POSIX side: Ctrl+C and
// Ctrl+Break as SIGINT, closing the console (or logging off, or shutting
// down) as SIGHUP's number, each delivered on the watcher's thread.
#include "InterruptWatcher.h"

#include <windows.h>

#include <QMetaObject>
#include <atomic>
#include <csignal>

namespace {

constexpr int kHangUp = 1;  // SIGHUP's number, which Windows does not define

// The watcher the console's handler reports to. The handler runs on a thread
// of the system's own, so it only ever posts a call to the watcher's thread.
std::atomic<TInterruptWatcher*> ActiveWatcher{nullptr};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    int number = 0;
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            number = SIGINT;
            break;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            number = kHangUp;
            break;
        default:
            return FALSE;
    }
    TInterruptWatcher* watcher = ActiveWatcher.load();
    if (watcher == nullptr) return FALSE;
    QMetaObject::invokeMethod(
        watcher, [watcher, number] { watcher->Deliver(number); }, Qt::QueuedConnection);
    if (number == kHangUp) {
        // Returning ends the process at once; waiting here gives the run the
        // system's few seconds to finish its file. The program's exit ends
        // this thread with it.
        Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

struct TInterruptWatcher::TState {};

TInterruptWatcher::TInterruptWatcher(std::function<void(int)> onInterrupt, QObject* parent)
    : QObject(parent), OnInterrupt(std::move(onInterrupt)), State(std::make_unique<TState>()) {
    ActiveWatcher = this;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

TInterruptWatcher::~TInterruptWatcher() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    ActiveWatcher = nullptr;
}

void TInterruptWatcher::Deliver(int signalNumber) {
    if (OnInterrupt) OnInterrupt(signalNumber);
}

bool TInterruptWatcher::IsClosedPipe(int) {
    // A closed pipe fails the write itself on Windows; there is no signal.
    return false;
}
