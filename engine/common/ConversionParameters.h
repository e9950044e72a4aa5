// What the worker converts every clip to.
#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/pixfmt.h>
}

// How the source's picture is put into the phone's picture size.
enum class PictureFitMode : int32_t {
    Stretch = 0,    // the whole picture, its proportions changed to fill the size
    BlackBars = 1,  // the whole picture with its proportions, centred on black
    Crop = 2,       // the size filled, what overflows cut equally from both sides
};

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
    PictureFitMode PictureFit = PictureFitMode::Stretch;
    // Subtitles burned into the picture: SubtitleFile when named, else the
    // track SubtitleTrack (1-based among the subtitle tracks; 0: the forced,
    // else the default, else the first), else a file beside the source.
    bool BurnSubtitles = false;
    std::string SubtitleFile;  // the file system's bytes
    int32_t SubtitleTrack = 0;
};
