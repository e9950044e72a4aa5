#include "Process.h"

#include <malloc.h>

#include <QThread>

namespace platform {

void UseIdlePriority(bool idle) {
    if (idle) QThread::currentThread()->setPriority(QThread::IdlePriority);
}

void ReturnFreedMemory() {
    malloc_trim(0);
}

bool SettingsKeepNumbersAsText() {
    return true;
}

}  // namespace platform
