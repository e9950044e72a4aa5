#include "Terminal.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

namespace platform {

bool ErrorsGoToTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

int ErrorTerminalWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
        return info.srWindow.Right - info.srWindow.Left + 1;
    }
    return 80;
}

}  // namespace platform
