// What the worker converts every clip to.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/pixfmt.h>
}

struct ConversionParameters {
    int32_t Width = 352;
    int32_t Height = 288;
    // The output frame rate is FrameRateNumerator / FrameRateDenominator frames
    // per second; the video encoder's time base is the inverse.
    int32_t FrameRateNumerator = 25;
    int32_t FrameRateDenominator = 1;
    int32_t PixelFormat = AV_PIX_FMT_YUV420P;
    int32_t VideoBitRate = 122000;            // bit/s
    int32_t VideoCodecId = AV_CODEC_ID_H263;  // or AV_CODEC_ID_MPEG4
    int32_t AudioBitRate = 64000;             // bit/s
    int32_t SampleRate = 8000;                // Hz
    int32_t Channels = 1;
    int32_t AudioCodecId = AV_CODEC_ID_AMR_NB;
    // Every output at most this many bytes, its bitrates computed from the
    // clip's length; 0: no limit, the bitrates above are used.
    int64_t SizeLimitBytes = 0;
    // The sound brought to one loudness fit for a phone's small speaker.
    bool EvenLoudness = false;
};
