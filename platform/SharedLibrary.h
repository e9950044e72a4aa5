// Loading a shared library at run time and finding its functions.
#pragma once

#include <string>

namespace platform {

// The file name of a library's given major version as the system names it
// ("libavcodec.so.59" for base "avcodec" and major 59).
std::string SharedLibraryFileName(const char* base, int major);

// The loaded library, or null when it cannot be loaded. Its symbols stay out
// of the program's global namespace.
void* LoadSharedLibrary(const std::string& fileName);
// Unloads a library LoadSharedLibrary gave (not null).
void FreeSharedLibrary(void* library);
// The address of the library's exported symbol, or null.
void* FindSymbol(void* library, const char* name);

}  // namespace platform
