// The subtitle renderer libass, loaded at run time like the media libraries:
// the programs start without it, and only a conversion that burns in text
// subtitles needs it. Its functions are called through Libass()->name(...).
#pragma once

#include <string>

extern "C" {
#include <ass/ass.h>
}

#include "Library.h"

namespace subtitles {

#define KESTOVAR_ASS_FUNCTIONS(X) \
    X(ass_library_version)        \
    X(ass_library_init)           \
    X(ass_library_done)           \
    X(ass_set_message_cb)         \
    X(ass_set_extract_fonts)      \
    X(ass_add_font)               \
    X(ass_renderer_init)          \
    X(ass_renderer_done)          \
    X(ass_set_frame_size)         \
    X(ass_set_storage_size)       \
    X(ass_set_margins)            \
    X(ass_set_use_margins)        \
    X(ass_set_font_scale)         \
    X(ass_set_fonts)              \
    X(ass_render_frame)           \
    X(ass_new_track)              \
    X(ass_free_track)             \
    X(ass_process_codec_private)  \
    X(ass_process_chunk)

class TLibassBinding {
public:
    TLibassBinding();
    TLibassBinding(const TLibassBinding&) = delete;
    TLibassBinding& operator=(const TLibassBinding&) = delete;

    // Empty when every function may be called; else why not, in one sentence.
    std::string Problem() const;

    const av::TLibrary Library;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#define KESTOVAR_ASS_DECLARE(name) const av::TImportFunc<decltype(&::name)> name;
    KESTOVAR_ASS_FUNCTIONS(KESTOVAR_ASS_DECLARE)
#undef KESTOVAR_ASS_DECLARE
#pragma GCC diagnostic pop
};

// The library's file name: libass.so.9, on Windows libass-9.dll.
std::string LibassFileName();

// The binding, loaded at the first call and kept until the program ends;
// thread-safe. Check Problem() before calling anything.
const TLibassBinding& Libass();

}  // namespace subtitles
