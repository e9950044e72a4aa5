// The terminal the command-line program's messages go to.
#pragma once

namespace platform {

// True when standard error is a terminal.
bool ErrorsGoToTerminal();

// The width in columns of the terminal standard error goes to, or 80 when it
// does not say.
int ErrorTerminalWidth();

}  // namespace platform
