// What a phone's decoder needs of the video stream: a bitrate that stays near
// the chosen one, and for MPEG-4 the Simple Profile level that fits.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace transcode {

// The lowest MPEG-4 Visual Simple Profile level (1, 2, 3, 4 for 4a, 5, 6)
// whose limits on picture size, macroblock rate and bitrate the stream keeps;
// the highest level when none fits.
int32_t SimpleProfileLevel(int32_t width, int32_t height, AVRational frameRate, int64_t bitRate);

// The decoder buffer, in bits, the encoders' rate control works against: half
// a second of the bitrate (a longer one lets busy scenes overshoot), within
// what the level allows for MPEG-4.
int32_t RateControlBuffer(int64_t bitRate, int32_t mpeg4Level);

// Sets up the video encoder's rate control and, for MPEG-4, the profile and
// level; the codec context already has size, frame rate and bitrate.
void ConfigureVideoRateControl(AVCodecContext& encoder);

}  // namespace transcode
