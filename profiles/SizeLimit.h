// Fitting a clip into a file-size limit: the limits offered, the sound's real
// bitrates (the AMR narrow-band modes) and the arithmetic that turns a limit
// and a length into the video and sound bitrates of the conversion.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct SizeLimitEntry {
    std::string_view Name;
    int64_t Bytes;  // 0: no limit
};

// The rows of the "Size limit:" selector; the row is what the settings keep.
inline constexpr std::array<SizeLimitEntry, 6> SizeLimitTable{{
    {"None", 0},
    {"300 KB (MMS)", 300 * 1024},
    {"600 KB", 600 * 1024},
    {"1 MB", 1024 * 1024},
    {"3 MB", 3 * 1024 * 1024},
    {"10 MB", 10 * 1024 * 1024},
}};

// The rows of the "Sound:" selector; the row is what the settings keep.
inline constexpr std::array<std::string_view, 2> SoundChoiceNames{"As recorded", "Even loudness"};

// One mode of the AMR narrow-band encoder: its bitrate and the bytes one
// 20 ms frame takes in the file (the coded bits and the frame's header byte).
struct AmrMode {
    int32_t BitRate;  // bit/s, as the encoder is asked for it
    int32_t FrameBytes;
};

// The modes, highest first. The encoder always uses 12.2 kbit/s for the
// tables' audio bitrates, whatever their nominal value.
inline constexpr std::array<AmrMode, 8> AmrModes{{
    {12200, 32},
    {10200, 27},
    {7950, 21},
    {7400, 20},
    {6700, 18},
    {5900, 16},
    {5150, 14},
    {4750, 13},
}};
inline constexpr int32_t AmrFramesPerSecond = 50;

// The lowest video bitrate a limit may leave: the tables' lowest, bit/s.
inline constexpr int32_t LowestLimitedVideoBitRate = 32000;

// What a clip of a given length needs to fit in a limit.
struct SizePlan {
    bool Fits = false;
    int32_t VideoBitRate = 0;  // bit/s; 0 without pictures
    int32_t AudioBitRate = 0;  // bit/s, an AMR mode; 0 without sound
    // When it does not fit: the longest length that would, in whole seconds.
    int64_t FittingSeconds = 0;
};

// The bytes the 3GP container adds to the coded pictures and sound: its
// header and index, which grow with the number of pictures and sound frames.
int64_t ContainerOverhead(double seconds, double frameRate, bool hasVideo, bool hasAudio);

// The bitrates that fill limitBytes with seconds of pictures at frameRate and
// sound. The sound keeps 12.2 kbit/s unless the video would then fall below
// LowestLimitedVideoBitRate; it steps down through the lower modes first, and
// when even 4.75 kbit/s leaves too little, the clip does not fit.
SizePlan PlanForSize(int64_t limitBytes, double seconds, double frameRate, bool hasVideo,
                     bool hasAudio);

// The longest length, in whole seconds, that fits in limitBytes at the
// lowest bitrates.
int64_t LongestFittingSeconds(int64_t limitBytes, double frameRate, bool hasVideo, bool hasAudio);

// "300 KB", "1 MB" or "500000 bytes": a limit as the messages name it.
std::string SizeLimitText(int64_t bytes);

// "The clip does not fit in 300 KB: at most 00:01:02".
std::string DoesNotFitMessage(int64_t limitBytes, int64_t fittingSeconds);

// A size as typed on the command line: bytes, or with the suffix K or M
// (1 K = 1024 bytes), upper or lower case, an optional "B" after it
// ("300K", "300KB", "1.5M"). Nothing for text that is no size or no byte.
std::optional<int64_t> ParseSizeText(std::string_view text);
