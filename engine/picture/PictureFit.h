// Where the source's picture goes in the output picture: stretched over all of
// it, whole with black bars, or filling it with the overflow cut off. The
// output's pixels are square; the source's may not be.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/rational.h>
}

#include "ConversionParameters.h"

namespace transcode {

struct PictureRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct FitGeometry {
    PictureRect Shown;   // the part of the source picture that is shown
    PictureRect Placed;  // where it goes in the output picture

    bool Crops(int32_t sourceWidth, int32_t sourceHeight) const {
        return Shown.Width != sourceWidth || Shown.Height != sourceHeight;
    }
    bool HasBars(int32_t targetWidth, int32_t targetHeight) const {
        return Placed.Width != targetWidth || Placed.Height != targetHeight;
    }
};

// The fit of a sourceWidth x sourceHeight picture whose pixels are
// sampleAspect wide (0/1 or a negative value: square) into a picture of
// targetWidth x targetHeight square pixels. Rectangles start on even rows and
// columns and have even sizes where the pictures' sizes are even, so that
// half-size colour planes line up; bars on the two sides differ by at most
// two lines.
FitGeometry FitPicture(PictureFitMode mode, int32_t sourceWidth, int32_t sourceHeight,
                       AVRational sampleAspect, int32_t targetWidth, int32_t targetHeight);

// Paints everything of the planar YUV 4:2:0 picture outside placed black
// (Y 16, Cb and Cr 128).
void PaintBars(AVFrame& picture, const PictureRect& placed);

}  // namespace transcode
