#include "WorkerShutdown.h"

#include <QEventLoop>
#include <QPointer>
#include <QThread>

void WaitForWorkerEnd(QThread* thread) {
    if (!thread) return;
    QPointer<QThread> watched(thread);
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QObject::connect(thread, &QObject::destroyed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    // isFinished() is already true while finished() is being emitted, so a
    // thread that is not finished yet emits it after the connection above.
    if (!thread->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    // After finished() only the thread's own exit remains; it calls nobody.
    if (watched) watched->wait();
}
