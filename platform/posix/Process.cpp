#include "Process.h"

#include <QThread>

namespace platform {

void UseIdlePriority(bool idle) {
    if (idle) QThread::currentThread()->setPriority(QThread::IdlePriority);
}

bool SettingsKeepNumbersAsText() {
    return true;
}

}  // namespace platform
