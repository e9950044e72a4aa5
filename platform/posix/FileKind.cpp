#include "FileKind.h"

#include <sys/stat.h>

namespace platform {

std::string NotRegularFileKind(const std::string& nativePath) {
    struct stat status = {};
    if (stat(nativePath.c_str(), &status) != 0) return {};
    const mode_t type = status.st_mode & S_IFMT;
    if (type == S_IFREG) return {};
    if (type == S_IFIFO) return "a pipe";
    if (type == S_IFDIR) return "a folder";
    if (type == S_IFCHR || type == S_IFBLK) return "a device";
    if (type == S_IFSOCK) return "a socket";
    return "a special file";
}

}  // namespace platform
