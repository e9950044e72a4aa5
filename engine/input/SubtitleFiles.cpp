#include "SubtitleFiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr std::array<std::string_view, 4> kFileEndings = {".srt", ".ass", ".ssa", ".vtt"};

bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && !error;
}

bool EndsWithSubtitleEnding(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::any_of(kFileEndings.begin(), kFileEndings.end(),
                       [&lower](std::string_view ending) { return lower.ends_with(ending); });
}

}  // namespace

std::string SubtitleFileBeside(const std::string& videoPath) {
    const std::filesystem::path video(videoPath);
    const std::filesystem::path folder = video.parent_path();
    const std::string stem = video.stem().string();
    for (const std::string_view ending : kFileEndings) {
        const std::filesystem::path candidate = folder / (stem + std::string(ending));
        if (IsRegularFile(candidate)) return candidate.string();
    }
    // film.en.srt, film.forced.ass: the base name, a dot, anything, an ending.
    std::vector<std::string> found;
    std::error_code error;
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    for (std::filesystem::directory_iterator it(where, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > stem.size() + 1 && name.compare(0, stem.size() + 1, stem + ".") == 0 &&
            EndsWithSubtitleEnding(name) && IsRegularFile(it->path())) {
            found.push_back((folder / name).string());
        }
    }
    if (found.empty()) return {};
    std::sort(found.begin(), found.end());
    return found.front();
}
