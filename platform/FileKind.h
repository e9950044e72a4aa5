// What a source is when it is no regular file.
#pragma once

#include <string>

namespace platform {

// "a pipe", "a folder", "a device", "a socket" or "a special file"; empty for
// a regular file and for a name that leads nowhere (the open then tells why).
std::string NotRegularFileKind(const std::string& nativePath);

}  // namespace platform
