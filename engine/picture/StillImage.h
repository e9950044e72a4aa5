// A still picture as a window shows it: 8-bit RGB, rows packed one after
// another, made from a picture in the phone's BT.601 limited-range YUV.
#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

namespace transcode {

struct StillImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Rgb;  // Width * 3 bytes a row, Height rows

    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
};

// The planar YUV 4:2:0 picture in RGB, as a player decodes the phone's
// pictures; throws std::bad_alloc when the scaler cannot be made.
StillImage ToRgb(const AVFrame& picture);

}  // namespace transcode
