#include "FileKind.h"

#include <windows.h>

#include "WindowsText.h"

namespace platform {

std::string NotRegularFileKind(const std::string& nativePath) {
    const std::wstring name = WindowsPath(nativePath);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return "a folder";
    }
    // Pipes ("\\.\pipe\x") and devices ("CON", "\\.\COM1") are told by their
    // handle; an open that asks for no access reads nothing.
    HANDLE file =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    if (type == FILE_TYPE_DISK) return {};
    if (type == FILE_TYPE_PIPE) return "a pipe";
    if (type == FILE_TYPE_CHAR) return "a device";
    return "a special file";
}

}  // namespace platform
