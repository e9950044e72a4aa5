// Display rotation: phones store portrait clips sideways and say in the
// stream's display matrix how far to turn them. The transcoder turns such
// pictures upright itself.
#pragma once

#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

namespace transcode {

// The clockwise turn, 0, 90, 180 or 270 degrees, that shows the stream's
// pictures upright; 0 when the stream carries no display matrix.
int32_t UprightRotation(const AVStream* stream);

// True when a turn swaps the picture's width and height.
inline bool SwapsSides(int32_t rotation) {
    return rotation == 90 || rotation == 270;
}

// Turns a planar YUV 4:2:0 picture clockwise by rotation (90, 180 or 270) into
// destination, which must already have the turned size and its own buffers.
void RotatePicture(const AVFrame& source, AVFrame& destination, int32_t rotation);

}  // namespace transcode
