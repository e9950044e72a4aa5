#include "Dynamicavimport.h"

#include <sstream>

#include "SharedLibrary.h"

namespace av {

namespace {

std::string VersionText(unsigned version) {
    return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xff) + "." +
           std::to_string(version & 0xff);
}

// One row per library: the loaded TLibrary, its version call and the major
// version the program was built against.
struct LibraryRow {
    const TLibrary& library;
    const char* name;
    const TImportFunc<unsigned (*)()>& version;
    unsigned headerMajor;
};

std::vector<LibraryRow> Rows(const TBinding& b) {
    return {
        {b.AvcodecLibrary, "libavcodec", b.avcodec_version, LIBAVCODEC_VERSION_MAJOR},
        {b.AvformatLibrary, "libavformat", b.avformat_version, LIBAVFORMAT_VERSION_MAJOR},
        {b.AvutilLibrary, "libavutil", b.avutil_version, LIBAVUTIL_VERSION_MAJOR},
        {b.SwscaleLibrary, "libswscale", b.swscale_version, LIBSWSCALE_VERSION_MAJOR},
        {b.SwresampleLibrary, "libswresample", b.swresample_version, LIBSWRESAMPLE_VERSION_MAJOR},
        {b.AvfilterLibrary, "libavfilter", b.avfilter_version, LIBAVFILTER_VERSION_MAJOR},
    };
}

}  // namespace

LibraryFiles LibraryFiles::Default() {
    return {platform::SharedLibraryFileName("avcodec", LIBAVCODEC_VERSION_MAJOR),
            platform::SharedLibraryFileName("avformat", LIBAVFORMAT_VERSION_MAJOR),
            platform::SharedLibraryFileName("avutil", LIBAVUTIL_VERSION_MAJOR),
            platform::SharedLibraryFileName("swscale", LIBSWSCALE_VERSION_MAJOR),
            platform::SharedLibraryFileName("swresample", LIBSWRESAMPLE_VERSION_MAJOR),
            platform::SharedLibraryFileName("avfilter", LIBAVFILTER_VERSION_MAJOR)};
}

TBinding::TBinding(const LibraryFiles& files)
    : AvcodecLibrary(files.Avcodec),
      AvformatLibrary(files.Avformat),
      AvutilLibrary(files.Avutil),
      SwscaleLibrary(files.Swscale),
      SwresampleLibrary(files.Swresample),
      AvfilterLibrary(files.Avfilter)
#define KESTOVAR_AV_CONSTRUCT(library, name) , name(library##Library, #name)
          KESTOVAR_AV_FUNCTIONS(KESTOVAR_AV_CONSTRUCT)
#undef KESTOVAR_AV_CONSTRUCT
{
}

std::vector<std::string> TBinding::Problems() const {
    std::vector<std::string> problems;
    for (const LibraryRow& row : Rows(*this)) {
        if (!row.library.IsLoaded()) {
            problems.push_back("The media library file \"" + row.library.FileName +
                               "\" could not be loaded.");
        } else if (row.version.IsResolved() && (row.version() >> 16) != row.headerMajor) {
            problems.push_back("The media library file \"" + row.library.FileName + "\" is " +
                               row.name + " " + VersionText(row.version()) +
                               ", but the program needs major version " +
                               std::to_string(row.headerMajor) + ".");
        }
    }
    auto checkFunction = [&problems](const auto& function) {
        if (function.Library->IsLoaded() && !function.IsResolved()) {
            problems.push_back("The function \"" + function.FunctionName +
                               "\" was not found in the media library file \"" +
                               function.Library->FileName + "\".");
        }
    };
#define KESTOVAR_AV_CHECK(library, name) checkFunction(name);
    KESTOVAR_AV_FUNCTIONS(KESTOVAR_AV_CHECK)
#undef KESTOVAR_AV_CHECK
    return problems;
}

std::string LoadedVersions(const TBinding& binding) {
    std::ostringstream out;
    out << "FFmpeg " << binding.av_version_info();
    for (const LibraryRow& row : Rows(binding)) {
        out << "\n  " << row.name << " " << VersionText(row.version()) << " ("
            << row.library.FileName << ")";
    }
    return out.str();
}

std::string ProblemsMessage(const std::vector<std::string>& problems) {
    std::string message = "The FFmpeg media libraries cannot be used:\n";
    for (const std::string& problem : problems) message += "\n" + problem;
    message += "\n\nInstall the FFmpeg libraries the program was built for: libavcodec " +
               std::to_string(LIBAVCODEC_VERSION_MAJOR) + ", libavformat " +
               std::to_string(LIBAVFORMAT_VERSION_MAJOR) + ", libavutil " +
               std::to_string(LIBAVUTIL_VERSION_MAJOR) + ", libswscale " +
               std::to_string(LIBSWSCALE_VERSION_MAJOR) + ", libswresample " +
               std::to_string(LIBSWRESAMPLE_VERSION_MAJOR) + " and libavfilter " +
               std::to_string(LIBAVFILTER_VERSION_MAJOR) +
               ", with the AMR narrow-band encoder (on Debian: libavcodec-extra).";
    return message;
}

}  // namespace av

const av::TBinding AV;
