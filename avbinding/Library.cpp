#include "Library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace av {

namespace {

void* LoadByName(const std::string& fileName) {
#ifdef _WIN32
    return reinterpret_cast<void*>(LoadLibraryA(fileName.c_str()));
#else
    // RTLD_LOCAL keeps the symbols out of the global namespace: the program
    // reaches them only through its wrappers.
    return dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

}  // namespace

TLibrary::TLibrary(std::string fileName)
    : FileName(std::move(fileName)), Handle(LoadByName(FileName)) {}

TLibrary::~TLibrary() {
    if (Handle == nullptr) return;
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(Handle));
#else
    dlclose(Handle);
#endif
}

void* TLibrary::Symbol(const char* name) const {
    if (Handle == nullptr) return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(Handle), name));
#else
    return dlsym(Handle, name);
#endif
}

}  // namespace av
