#include "LocalMedia.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

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

const char kInvalidSourceData[] = "Invalid data in the source";

std::string SourceErrorText(int code) {
    // The library's generic -1, and an end reached before the demuxer found
    // what it needs, say nothing true of the file but that its data are
    // unusable.
    if (code == AVERROR(EPERM) || code == AVERROR_EOF) return kInvalidSourceData;
    return LibraryErrorText(code);
}

bool ReadsToItsEnd(const std::string& nativePath) {
    std::FILE* file = std::fopen(nativePath.c_str(), "rb");
    if (!file) return false;
    std::vector<char> buffer(1 << 20);
    while (std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size()) {
    }
    const bool clean = std::ferror(file) == 0;
    std::fclose(file);
    return clean;
}

std::string SystemErrorText(int errorNumber) {
    return std::error_code(errorNumber, std::generic_category()).message();
}
