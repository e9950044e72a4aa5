// The media-library binding: the six FFmpeg libraries loaded by file name at
// start, and one wrapper per function the program calls.
//
// The whole program calls FFmpeg through the global AV, under the functions'
// own names: AV.avformat_open_input(&ctx, path, nullptr, nullptr).
#pragma once

#include <string>
#include <vector>

#include "AvFunctionList.h"
#include "Library.h"

namespace av {

// The file names the six libraries are loaded by, in load order.
struct LibraryFiles {
    std::string Avcodec;
    std::string Avformat;
    std::string Avutil;
    std::string Swscale;
    std::string Swresample;
    std::string Avfilter;

    // The names matching the installed headers' major versions, such as
    // "libavcodec.so.59" (on Windows "avcodec-59.dll").
    static LibraryFiles Default();
};

class TBinding {
public:
    explicit TBinding(const LibraryFiles& files = LibraryFiles::Default());
    TBinding(const TBinding&) = delete;
    TBinding& operator=(const TBinding&) = delete;

    // What keeps the binding from being used, one plain sentence each: a library
    // file that did not load, a function a loaded library does not export, a
    // library whose major version differs from the headers'. Empty when every
    // wrapper may be called.
    std::vector<std::string> Problems() const;

    // The libraries come first so that they are destroyed last, after every
    // wrapper, in the reverse order of loading.
    const TLibrary AvcodecLibrary;
    const TLibrary AvformatLibrary;
    const TLibrary AvutilLibrary;
    const TLibrary SwscaleLibrary;
    const TLibrary SwresampleLibrary;
    const TLibrary AvfilterLibrary;

// Some declarations carry attributes such as warn_unused_result, which a
// function pointer type cannot keep; the wrappers drop them knowingly.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#define KESTOVAR_AV_DECLARE(library, name) const TImportFunc<decltype(&::name)> name;
    KESTOVAR_AV_FUNCTIONS(KESTOVAR_AV_DECLARE)
#undef KESTOVAR_AV_DECLARE
#pragma GCC diagnostic pop
};

// "FFmpeg 5.1.x: libavcodec 59.37.100, ..." for the loaded libraries; only
// after Problems() came back empty.
std::string LoadedVersions(const TBinding& binding);

// The problems as one message for the user, ending with what to install.
std::string ProblemsMessage(const std::vector<std::string>& problems);

}  // namespace av

// The program's binding, loaded before main() runs and released after it
// returns (after every window and worker is gone).
extern const av::TBinding AV;
