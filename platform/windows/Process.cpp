#include "Process.h"

#include <malloc.h>
#include <windows.h>

namespace platform {

void UseIdlePriority(bool idle) {
    SetPriorityClass(GetCurrentProcess(), idle ? IDLE_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS);
}

void ReturnFreedMemory() {
    _heapmin();
}

bool SettingsKeepNumbersAsText() {
    return false;
}

}  // namespace platform
