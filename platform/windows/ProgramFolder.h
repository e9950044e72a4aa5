// The folder the running program was started from, where its DLLs and its
// font lie.
#pragma once

#include <string>

namespace platform {

// With a trailing backslash; empty when the system cannot tell it.
std::wstring ProgramFolder();

}  // namespace platform
