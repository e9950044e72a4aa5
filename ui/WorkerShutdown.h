// Waiting on the GUI thread for a worker thread to end.
#pragma once

class QThread;

// Returns once the thread has finished (at once when it has already, or when
// thread is null). A worker reports to the window through blocking queued
// calls, so the wait must keep serving them: it runs a local event loop,
// without user input, that ends on the thread's finished() signal. A plain
// QThread::wait() here would wait for a worker that waits for it.
void WaitForWorkerEnd(QThread* thread);
