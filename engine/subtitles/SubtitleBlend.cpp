// The colours are turned into BT.601 limited range once per pixel (or once per
// mask); the coverage of a colour sample is the mean of its four pixels'.
#include "SubtitleBlend.h"

#include <algorithm>

namespace subtitles {

namespace {

struct Yuv {
    int32_t Y;
    int32_t U;
    int32_t V;
};

Yuv ToYuv(int32_t r, int32_t g, int32_t b) {
    // BT.601, limited range, in 1/256 steps.
    return {16 + ((66 * r + 129 * g + 25 * b + 128) >> 8),
            128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8),
            128 + ((112 * r - 94 * g - 18 * b + 128) >> 8)};
}

uint8_t Mix(uint8_t under, int32_t over, int32_t alpha) {
    // alpha 0..255*255
    return static_cast<uint8_t>((under * (65025 - alpha) + over * alpha + 32512) / 65025);
}

// The part of a width x height image at (left, top) that lies inside the
// picture and the band, in picture coordinates.
struct Span {
    int32_t X0, X1, Y0, Y1;
    bool Empty() const { return X0 >= X1 || Y0 >= Y1; }
};

Span Visible(const AVFrame& picture, int32_t width, int32_t height, int32_t left, int32_t top,
             RowBand band) {
    return {std::max(left, 0), std::min(left + width, picture.width), std::max({top, 0, band.Top}),
            std::min({top + height, picture.height, band.Bottom})};
}

}  // namespace

void BlendMask(AVFrame& picture, const uint8_t* mask, int32_t stride, int32_t width, int32_t height,
               int32_t left, int32_t top, uint32_t rgba, RowBand band) {
    const Span span = Visible(picture, width, height, left, top, band);
    if (span.Empty()) return;
    const Yuv colour = ToYuv(rgba >> 24, (rgba >> 16) & 0xff, (rgba >> 8) & 0xff);
    const int32_t opacity = 255 - static_cast<int32_t>(rgba & 0xff);
    const auto coverage = [&](int32_t x, int32_t y) -> int32_t {
        if (x < span.X0 || x >= span.X1 || y < span.Y0 || y >= span.Y1) return 0;
        return mask[(y - top) * stride + (x - left)] * opacity;
    };
    for (int32_t y = span.Y0; y < span.Y1; ++y) {
        uint8_t* row = picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0];
        for (int32_t x = span.X0; x < span.X1; ++x) {
            const int32_t a = coverage(x, y);
            if (a != 0) row[x] = Mix(row[x], colour.Y, a);
        }
    }
    for (int32_t cy = span.Y0 / 2; cy <= (span.Y1 - 1) / 2; ++cy) {
        if (2 * cy >= picture.height) break;
        uint8_t* u = picture.data[1] + static_cast<ptrdiff_t>(cy) * picture.linesize[1];
        uint8_t* v = picture.data[2] + static_cast<ptrdiff_t>(cy) * picture.linesize[2];
        for (int32_t cx = span.X0 / 2; cx <= (span.X1 - 1) / 2; ++cx) {
            const int32_t a = (coverage(2 * cx, 2 * cy) + coverage(2 * cx + 1, 2 * cy) +
                               coverage(2 * cx, 2 * cy + 1) + coverage(2 * cx + 1, 2 * cy + 1)) /
                              4;
            if (a == 0) continue;
            u[cx] = Mix(u[cx], colour.U, a);
            v[cx] = Mix(v[cx], colour.V, a);
        }
    }
}

void BlendImage(AVFrame& picture, const uint8_t* image, int32_t stride, int32_t width,
                int32_t height, int32_t left, int32_t top, RowBand band) {
    const Span span = Visible(picture, width, height, left, top, band);
    if (span.Empty()) return;
    const auto pixel = [&](int32_t x, int32_t y) -> const uint8_t* {
        if (x < span.X0 || x >= span.X1 || y < span.Y0 || y >= span.Y1) return nullptr;
        return image + (y - top) * stride + 4 * (x - left);
    };
    for (int32_t y = span.Y0; y < span.Y1; ++y) {
        uint8_t* row = picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0];
        for (int32_t x = span.X0; x < span.X1; ++x) {
            const uint8_t* p = pixel(x, y);
            if (p[3] == 0) continue;
            row[x] = Mix(row[x], ToYuv(p[0], p[1], p[2]).Y, p[3] * 255);
        }
    }
    for (int32_t cy = span.Y0 / 2; cy <= (span.Y1 - 1) / 2; ++cy) {
        if (2 * cy >= picture.height) break;
        uint8_t* u = picture.data[1] + static_cast<ptrdiff_t>(cy) * picture.linesize[1];
        uint8_t* v = picture.data[2] + static_cast<ptrdiff_t>(cy) * picture.linesize[2];
        for (int32_t cx = span.X0 / 2; cx <= (span.X1 - 1) / 2; ++cx) {
            // The colour of the four pixels weighted by their coverage.
            int32_t alpha = 0;
            int32_t su = 0;
            int32_t sv = 0;
            for (int32_t dy = 0; dy < 2; ++dy) {
                for (int32_t dx = 0; dx < 2; ++dx) {
                    const uint8_t* p = pixel(2 * cx + dx, 2 * cy + dy);
                    if (!p || p[3] == 0) continue;
                    const Yuv c = ToYuv(p[0], p[1], p[2]);
                    alpha += p[3];
                    su += c.U * p[3];
                    sv += c.V * p[3];
                }
            }
            if (alpha == 0) continue;
            const int32_t a = alpha * 255 / 4;
            u[cx] = Mix(u[cx], su / alpha, a);
            v[cx] = Mix(v[cx], sv / alpha, a);
        }
    }
}

}  // namespace subtitles
