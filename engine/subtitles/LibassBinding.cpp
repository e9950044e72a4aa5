#include "LibassBinding.h"

#include "SystemPlaces.h"

namespace subtitles {

std::string LibassFileName() {
    return platform::TextLayoutLibraryName();
}

// libass stays loaded to the end: fontconfig, which it loads, keeps its
// configuration for the whole process and cannot be unloaded cleanly.
TLibassBinding::TLibassBinding()
    : Library(LibassFileName(), true)
#define KESTOVAR_ASS_CONSTRUCT(name) , name(Library, #name)
          KESTOVAR_ASS_FUNCTIONS(KESTOVAR_ASS_CONSTRUCT)
#undef KESTOVAR_ASS_CONSTRUCT
{
}

std::string TLibassBinding::Problem() const {
    if (!Library.IsLoaded()) {
        return "The subtitle library file \"" + Library.FileName + "\" could not be loaded";
    }
    std::string missing;
#define KESTOVAR_ASS_CHECK(name) \
    if (missing.empty() && !name.IsResolved()) missing = #name;
    KESTOVAR_ASS_FUNCTIONS(KESTOVAR_ASS_CHECK)
#undef KESTOVAR_ASS_CHECK
    if (!missing.empty()) {
        return "The subtitle library file \"" + Library.FileName + "\" lacks " + missing;
    }
    return {};
}

const TLibassBinding& Libass() {
    static const TLibassBinding binding;
    return binding;
}

}  // namespace subtitles
