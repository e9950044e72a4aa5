#include "SharedLibrary.h"

#include <dlfcn.h>

namespace platform {

std::string SharedLibraryFileName(const char* base, int major) {
    return "lib" + std::string(base) + ".so." + std::to_string(major);
}

void* LoadSharedLibrary(const std::string& fileName) {
    // RTLD_LOCAL keeps the symbols out of the global namespace: the program
    // reaches them only through its wrappers.
    return dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void FreeSharedLibrary(void* library) {
    dlclose(library);
}

void* FindSymbol(void* library, const char* name) {
    return dlsym(library, name);
}

}  // namespace platform
