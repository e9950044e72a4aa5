#include "Library.h"

#include "SharedLibrary.h"

namespace av {

TLibrary::TLibrary(std::string fileName)
    : FileName(std::move(fileName)), Handle(platform::LoadSharedLibrary(FileName)) {}

TLibrary::~TLibrary() {
    if (Handle != nullptr) platform::FreeSharedLibrary(Handle);
}

void* TLibrary::Symbol(const char* name) const {
    return Handle == nullptr ? nullptr : platform::FindSymbol(Handle, name);
}

}  // namespace av
