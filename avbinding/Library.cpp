#include "Library.h"

#include "SharedLibrary.h"

namespace av {

TLibrary::TLibrary(std::string fileName, bool keepLoaded)
    : FileName(std::move(fileName)),
      Handle(platform::LoadSharedLibrary(FileName)),
      KeepLoaded(keepLoaded) {}

TLibrary::~TLibrary() {
    if (Handle != nullptr && !KeepLoaded) platform::FreeSharedLibrary(Handle);
}

void* TLibrary::Symbol(const char* name) const {
    return Handle == nullptr ? nullptr : platform::FindSymbol(Handle, name);
}

}  // namespace av
