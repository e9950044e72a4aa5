#include "WindowsText.h"

#include <windows.h>

#include <cerrno>

namespace platform {

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::wstring WindowsPath(const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    if (wide.size() >= MAX_PATH && wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') {
        wide = L"\\\\?\\" + wide;
    } else if (wide.size() >= MAX_PATH && wide.rfind(L"\\\\", 0) == 0 &&
               wide.rfind(L"\\\\?\\", 0) != 0 && wide.rfind(L"\\\\.\\", 0) != 0) {
        wide = L"\\\\?\\UNC\\" + wide.substr(2);
    }
    return wide;
}

int ErrnoFromWindowsError(unsigned long code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
            return EINVAL;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        default:
            return EIO;
    }
}

std::string WindowsErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                             text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) return "Windows error " + std::to_string(code);
    return Utf8FromWide(text);
}

}  // namespace platform
