#include "TranscodeRateControl.h"

#include <algorithm>
#include <array>

namespace transcode {

namespace {

struct SimpleProfileLimits {
    int32_t Level;
    int32_t MaxMacroblocks;           // per picture
    int32_t MaxMacroblocksPerSecond;  // decoding rate
    int64_t MaxBitRate;               // bit/s
    int32_t BufferBits;               // video buffering verifier size
};

// The Simple Profile levels of MPEG-4 Visual, lowest first (4 stands for 4a).
constexpr std::array<SimpleProfileLimits, 6> kSimpleProfile{{
    {1, 99, 1485, 64000, 10 * 16384},
    {2, 396, 5940, 128000, 40 * 16384},
    {3, 396, 11880, 384000, 40 * 16384},
    {4, 1200, 36000, 4000000, 80 * 16384},
    {5, 1620, 40500, 8000000, 112 * 16384},
    {6, 3600, 108000, 12000000, 248 * 16384},
}};

const SimpleProfileLimits& LimitsOf(int32_t level) {
    for (const SimpleProfileLimits& limits : kSimpleProfile) {
        if (limits.Level == level) return limits;
    }
    return kSimpleProfile.back();
}

}  // namespace

int32_t SimpleProfileLevel(int32_t width, int32_t height, AVRational frameRate, int64_t bitRate) {
    const int64_t macroblocks = int64_t{(width + 15) / 16} * ((height + 15) / 16);
    for (const SimpleProfileLimits& limits : kSimpleProfile) {
        // Macroblocks per second, compared without rounding the frame rate.
        const bool rateFits =
            macroblocks * frameRate.num <= int64_t{limits.MaxMacroblocksPerSecond} * frameRate.den;
        if (macroblocks <= limits.MaxMacroblocks && rateFits && bitRate <= limits.MaxBitRate) {
            return limits.Level;
        }
    }
    return kSimpleProfile.back().Level;
}

int32_t RateControlBuffer(int64_t bitRate, int32_t mpeg4Level) {
    int64_t bits = std::max<int64_t>(bitRate / 2, 16384);
    if (mpeg4Level > 0) bits = std::min<int64_t>(bits, LimitsOf(mpeg4Level).BufferBits);
    return static_cast<int32_t>(std::min<int64_t>(bits, INT32_MAX));
}

void ConfigureVideoRateControl(AVCodecContext& encoder) {
    int32_t level = 0;
    if (encoder.codec_id == AV_CODEC_ID_MPEG4) {
        level =
            SimpleProfileLevel(encoder.width, encoder.height, encoder.framerate, encoder.bit_rate);
        encoder.profile = FF_PROFILE_MPEG4_SIMPLE;
        encoder.level = level;
    }
    // Without a buffer and a ceiling the encoders overshoot the bitrate by half
    // or more on busy pictures; with them the average stays near the target.
    encoder.rc_buffer_size = RateControlBuffer(encoder.bit_rate, level);
    encoder.rc_max_rate = encoder.bit_rate;
    encoder.max_b_frames = 0;
}

}  // namespace transcode
