// Phones show YUV pictures as BT.601 with limited range. Sources in another
// matrix (BT.709 tagged, or untagged and 720 lines or taller as players
// assume; BT.2020; SMPTE 240M; FCC) or in full range are converted: after
// scaling, on the small output picture, where it costs next to nothing.
//
// Only the matrix and the range change. The primaries and the transfer stay
// as they are: BT.709 and BT.601 primaries are close. HDR sources (PQ or HLG
// transfer) go through TToneMapping instead.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

extern "C" {
#include <libavutil/frame.h>
}

namespace transcode {

// The conversion of 8-bit Y, Cb and Cr codes: each output code is
// Offset + (sum of Scale x input code) / 2^14.
struct ColourMatrix {
    std::array<std::array<int32_t, 3>, 3> Scale{};  // rows Y, Cb, Cr; columns Y, Cb, Cr
    std::array<int32_t, 3> Offset{};                // in 1/2^14 code steps
};

// The conversion the source's pictures need, or none when they already are
// BT.601 limited range or are not YUV at all (the scaler turns RGB into
// BT.601 itself).
std::optional<ColourMatrix> ColourConversionFor(const AVFrame& source);

// The pixel format the scaler is told for the source: the full-range "J"
// formats as their limited-range twins, so that the scaler leaves the range
// alone when ColourConversionFor converts it.
int32_t ScalerSourceFormat(int32_t format);

// Converts the rectangle of a planar YUV 4:2:0 picture in place. left, top,
// width and height are even (but for the picture's own odd edge). The colour
// rows take only Cb and Cr (Scale[1][0] and Scale[2][0] are zero).
void ConvertColours(const ColourMatrix& matrix, AVFrame& picture, int32_t left, int32_t top,
                    int32_t width, int32_t height);

}  // namespace transcode
