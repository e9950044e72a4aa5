#include "Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

bool ErrorsGoToTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

int ErrorTerminalWidth() {
    winsize size = {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace platform
