#include "PictureFit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace transcode {

namespace {

// value rounded to the nearest even number within [2, limit] (limit itself
// when it is smaller than 2 or when value reaches it).
int32_t EvenWithin(double value, int32_t limit) {
    if (limit < 2) return limit;
    const int32_t even = static_cast<int32_t>(std::lround(value / 2.0)) * 2;
    if (even >= limit) return limit;
    return std::max(even, 2);
}

// The offset that centres length in total, on an even position.
int32_t Centred(int32_t length, int32_t total) {
    return ((total - length) / 2) & ~1;
}

}  // namespace

FitGeometry FitPicture(PictureFitMode mode, int32_t sourceWidth, int32_t sourceHeight,
                       AVRational sampleAspect, int32_t targetWidth, int32_t targetHeight) {
    FitGeometry fit;
    fit.Shown = {0, 0, sourceWidth, sourceHeight};
    fit.Placed = {0, 0, targetWidth, targetHeight};
    if (mode == PictureFitMode::Stretch || sourceWidth <= 0 || sourceHeight <= 0 ||
        targetWidth <= 0 || targetHeight <= 0) {
        return fit;
    }
    if (sampleAspect.num <= 0 || sampleAspect.den <= 0) sampleAspect = AVRational{1, 1};
    // Shown width over height of the source and of the target.
    const double sourceAspect =
        static_cast<double>(sourceWidth) * sampleAspect.num / (sourceHeight * sampleAspect.den);
    const double targetAspect = static_cast<double>(targetWidth) / targetHeight;
    const bool wider = sourceAspect > targetAspect;
    if (mode == PictureFitMode::BlackBars) {
        if (wider) {
            fit.Placed.Height = EvenWithin(targetWidth / sourceAspect, targetHeight);
            fit.Placed.Top = Centred(fit.Placed.Height, targetHeight);
        } else {
            fit.Placed.Width = EvenWithin(targetHeight * sourceAspect, targetWidth);
            fit.Placed.Left = Centred(fit.Placed.Width, targetWidth);
        }
    } else if (wider) {
        // Crop: the sides go.
        const double shownWidth = sourceHeight * targetAspect * sampleAspect.den / sampleAspect.num;
        fit.Shown.Width = EvenWithin(shownWidth, sourceWidth);
        fit.Shown.Left = Centred(fit.Shown.Width, sourceWidth);
    } else {
        // Crop: the top and the bottom go.
        const double shownHeight =
            sourceWidth * static_cast<double>(sampleAspect.num) / sampleAspect.den / targetAspect;
        fit.Shown.Height = EvenWithin(shownHeight, sourceHeight);
        fit.Shown.Top = Centred(fit.Shown.Height, sourceHeight);
    }
    return fit;
}

void PaintBars(AVFrame& picture, const PictureRect& placed) {
    for (int plane = 0; plane < 3; ++plane) {
        const int shift = plane == 0 ? 0 : 1;
        const uint8_t value = plane == 0 ? 16 : 128;
        const int width = (picture.width + shift) >> shift;
        const int height = (picture.height + shift) >> shift;
        const int left = placed.Left >> shift;
        const int top = placed.Top >> shift;
        const int right = std::min(width, left + ((placed.Width + shift) >> shift));
        const int bottom = std::min(height, top + ((placed.Height + shift) >> shift));
        for (int y = 0; y < height; ++y) {
            uint8_t* row =
                picture.data[plane] + static_cast<ptrdiff_t>(y) * picture.linesize[plane];
            if (y < top || y >= bottom) {
                std::memset(row, value, width);
                continue;
            }
            if (left > 0) std::memset(row, value, left);
            if (right < width) std::memset(row + right, value, width - right);
        }
    }
}

}  // namespace transcode
