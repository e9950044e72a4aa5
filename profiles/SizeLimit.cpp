#include "SizeLimit.h"

#include "TimeText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// The container's cost, measured on the muxer's 3GP files: a header of about
// a kilobyte and a half (file type, the two tracks' descriptions), and per
// picture and per sound frame their index entries (size, chunk offset and
// chunk layout, key-frame list), rounded up.
constexpr int64_t kHeaderBytes = 2048;
constexpr int64_t kBytesPerPicture = 20;
constexpr int64_t kBytesPerSoundFrame = 2;

int64_t SoundBytes(double seconds, const AmrMode& mode) {
    const auto frames = static_cast<int64_t>(std::ceil(seconds * AmrFramesPerSecond));
    return frames * mode.FrameBytes;
}

}  // namespace

int64_t ContainerOverhead(double seconds, double frameRate, bool hasVideo, bool hasAudio) {
    int64_t bytes = kHeaderBytes;
    if (seconds <= 0) return bytes;
    if (hasVideo) bytes += static_cast<int64_t>(std::ceil(seconds * frameRate)) * kBytesPerPicture;
    if (hasAudio) {
        bytes +=
            static_cast<int64_t>(std::ceil(seconds * AmrFramesPerSecond)) * kBytesPerSoundFrame;
    }
    return bytes;
}

SizePlan PlanForSize(int64_t limitBytes, double seconds, double frameRate, bool hasVideo,
                     bool hasAudio) {
    SizePlan plan;
    if (seconds <= 0) seconds = 1.0 / std::max(frameRate, 1.0);
    const int64_t available =
        limitBytes - ContainerOverhead(seconds, frameRate, hasVideo, hasAudio);
    if (hasAudio) {
        for (const AmrMode& mode : AmrModes) {
            const int64_t videoBytes = available - SoundBytes(seconds, mode);
            if (videoBytes < 0) continue;
            const double videoRate = static_cast<double>(videoBytes) * 8.0 / seconds;
            if (!hasVideo || videoRate >= LowestLimitedVideoBitRate) {
                plan.Fits = true;
                plan.AudioBitRate = mode.BitRate;
                if (hasVideo) {
                    plan.VideoBitRate =
                        static_cast<int32_t>(std::min(videoRate, double{INT32_MAX / 2}));
                }
                return plan;
            }
        }
    } else if (hasVideo && available > 0) {
        const double videoRate = static_cast<double>(available) * 8.0 / seconds;
        if (videoRate >= LowestLimitedVideoBitRate) {
            plan.Fits = true;
            plan.VideoBitRate = static_cast<int32_t>(std::min(videoRate, double{INT32_MAX / 2}));
            return plan;
        }
    }
    plan.FittingSeconds = LongestFittingSeconds(limitBytes, frameRate, hasVideo, hasAudio);
    return plan;
}

int64_t LongestFittingSeconds(int64_t limitBytes, double frameRate, bool hasVideo, bool hasAudio) {
    // Bytes per second at the lowest rates, container index included.
    double perSecond = 0;
    if (hasVideo) {
        perSecond += LowestLimitedVideoBitRate / 8.0 + frameRate * kBytesPerPicture;
    }
    if (hasAudio) {
        perSecond += static_cast<double>(AmrModes.back().FrameBytes + kBytesPerSoundFrame) *
                     AmrFramesPerSecond;
    }
    if (perSecond <= 0 || limitBytes <= kHeaderBytes) return 0;
    // One frame of each kind may be rounded up: a second less keeps to the limit.
    const auto seconds = static_cast<int64_t>(
        std::floor(static_cast<double>(limitBytes - kHeaderBytes) / perSecond));
    return std::max<int64_t>(0, seconds - 1);
}

std::string SizeLimitText(int64_t bytes) {
    constexpr int64_t kKilo = 1024;
    constexpr int64_t kMega = 1024 * 1024;
    if (bytes > 0 && bytes % kMega == 0) return std::to_string(bytes / kMega) + " MB";
    if (bytes > 0 && bytes % kKilo == 0) return std::to_string(bytes / kKilo) + " KB";
    return std::to_string(bytes) + " bytes";
}

std::string DoesNotFitMessage(int64_t limitBytes, int64_t fittingSeconds) {
    return "The clip does not fit in " + SizeLimitText(limitBytes) + ": at most " +
           PaddedClockText(fittingSeconds);
}

std::optional<int64_t> ParseSizeText(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (!text.empty() && (text.back() == 'b' || text.back() == 'B')) text.remove_suffix(1);
    double unit = 1;
    if (!text.empty()) {
        const char suffix =
            static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
        if (suffix == 'K' || suffix == 'M') {
            unit = suffix == 'K' ? 1024.0 : 1024.0 * 1024.0;
            text.remove_suffix(1);
            while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
                text.remove_suffix(1);
        }
    }
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return std::nullopt;
    }
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    const double bytes = std::floor(number * unit);
    if (!(bytes >= 1) || bytes > 1e15) return std::nullopt;
    return static_cast<int64_t>(bytes);
}
