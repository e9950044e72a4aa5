#include "SharedLibrary.h"

#include <windows.h>

#include "ProgramFolder.h"
#include "WindowsText.h"

namespace platform {

std::string SharedLibraryFileName(const char* base, int major) {
    return std::string(base) + "-" + std::to_string(major) + ".dll";
}

void* LoadSharedLibrary(const std::string& fileName) {
    std::wstring path = WideFromUtf8(fileName);
    // A bare name comes from the program's own folder only, never from the
    // current folder or PATH, where another program's FFmpeg may lie.
    if (path.find_first_of(L"\\/") == std::wstring::npos) path = ProgramFolder() + path;
    // The library's own dependencies (avcodec needs avutil and swresample)
    // are then looked up in its folder too.
    return reinterpret_cast<void*>(
        LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void FreeSharedLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

void* FindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace platform
