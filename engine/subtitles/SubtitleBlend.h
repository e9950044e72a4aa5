// Drawing subtitles into a planar YUV 4:2:0 picture of BT.601 limited range:
// a one-colour coverage mask (what libass gives) or an RGBA image (a bitmap
// subtitle), cut to a band of rows and to the picture.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
}

namespace subtitles {

// The rows that may be drawn on (Top inclusive, Bottom exclusive), in the
// picture's rows.
struct RowBand {
    int32_t Top = 0;
    int32_t Bottom = 0;
};

// mask: width x height coverage values 0..255, rows stride bytes apart, its
// top left corner at (left, top) of the picture. rgba: 0xRRGGBBAA with alpha
// 0 opaque, 255 transparent (libass's colours).
void BlendMask(AVFrame& picture, const uint8_t* mask, int32_t stride, int32_t width, int32_t height,
               int32_t left, int32_t top, uint32_t rgba, RowBand band);

// image: width x height pixels of R, G, B, A bytes (alpha 255 opaque), rows
// stride bytes apart.
void BlendImage(AVFrame& picture, const uint8_t* image, int32_t stride, int32_t width,
                int32_t height, int32_t left, int32_t top, RowBand band);

}  // namespace subtitles
