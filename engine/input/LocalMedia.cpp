#include "LocalMedia.h"

#include <array>
#include <system_error>

#include "Dynamicavimport.h"
#include "FileKind.h"

namespace {

constexpr const char* kFileProtocolOnly = "file";

}  // namespace

std::string LocalFileUrl(const std::string& nativePath) {
    return "file:" + nativePath;
}

AVDictionary* LocalFileOnlyOptions() {
    AVDictionary* options = nullptr;
    AV.av_dict_set(&options, "protocol_whitelist", kFileProtocolOnly, 0);
    return options;
}

int OpenLocalInput(AVFormatContext** input, const std::string& nativePath) {
    AVDictionary* options = LocalFileOnlyOptions();
    const int result =
        AV.avformat_open_input(input, LocalFileUrl(nativePath).c_str(), nullptr, &options);
    // The whitelist stays with the context: anything the demuxer opens later
    // (an index, a next part) is a local file too.
    AV.av_dict_free(&options);
    return result;
}

int OpenLocalOutput(AVIOContext** output, const std::string& nativePath) {
    AVDictionary* options = LocalFileOnlyOptions();
    const int result =
        AV.avio_open2(output, LocalFileUrl(nativePath).c_str(), AVIO_FLAG_WRITE, nullptr, &options);
    AV.av_dict_free(&options);
    return result;
}

std::string SourceFileProblem(const std::string& nativePath) {
    const std::string kind = platform::NotRegularFileKind(nativePath);
    if (kind.empty()) return {};
    return "Not a regular file (" + kind + ")";
}

std::string LibraryErrorText(int code) {
    std::array<char, 256> text{};
    if (AV.av_strerror(code, text.data(), text.size()) < 0 && text[0] == '\0') {
        return "Error " + std::to_string(code);
    }
    return text.data();
}

std::string SystemErrorText(int errorNumber) {
    return std::error_code(errorNumber, std::generic_category()).message();
}
