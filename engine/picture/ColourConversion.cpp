#include "ColourConversion.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "Dynamicavimport.h"

namespace transcode {

namespace {

// The luma weights of red and blue of a YUV matrix.
struct LumaWeights {
    double Red;
    double Blue;
};

constexpr LumaWeights kBt601{0.299, 0.114};

std::optional<LumaWeights> WeightsOf(AVColorSpace space, int32_t height) {
    switch (space) {
        case AVCOL_SPC_BT709:
            return LumaWeights{0.2126, 0.0722};
        case AVCOL_SPC_BT2020_NCL:
        case AVCOL_SPC_BT2020_CL:
            return LumaWeights{0.2627, 0.0593};
        case AVCOL_SPC_SMPTE240M:
            return LumaWeights{0.212, 0.087};
        case AVCOL_SPC_FCC:
            return LumaWeights{0.30, 0.11};
        case AVCOL_SPC_UNSPECIFIED:
        case AVCOL_SPC_RESERVED:
            // Players take untagged HD pictures for BT.709.
            if (height >= 720) return LumaWeights{0.2126, 0.0722};
            return kBt601;
        default:
            return kBt601;
    }
}

bool IsFullRange(const AVFrame& source) {
    switch (source.format) {
        case AV_PIX_FMT_YUVJ420P:
        case AV_PIX_FMT_YUVJ422P:
        case AV_PIX_FMT_YUVJ444P:
        case AV_PIX_FMT_YUVJ440P:
        case AV_PIX_FMT_YUVJ411P:
            return source.color_range != AVCOL_RANGE_MPEG;
        default:
            return source.color_range == AVCOL_RANGE_JPEG;
    }
}

// Normalised Y (0..1), Cb and Cr (-0.5..0.5) from one matrix to another,
// through R, G and B.
std::array<double, 3> Convert(const LumaWeights& from, const LumaWeights& to,
                              const std::array<double, 3>& yuv) {
    const double red = yuv[0] + 2 * (1 - from.Red) * yuv[2];
    const double blue = yuv[0] + 2 * (1 - from.Blue) * yuv[1];
    const double green = (yuv[0] - from.Red * red - from.Blue * blue) / (1 - from.Red - from.Blue);
    const double y = to.Red * red + (1 - to.Red - to.Blue) * green + to.Blue * blue;
    return {y, (blue - y) / (2 * (1 - to.Blue)), (red - y) / (2 * (1 - to.Red))};
}

constexpr int kShift = 14;
constexpr double kOne = 1 << kShift;
constexpr int32_t kHalf = 1 << (kShift - 1);

uint8_t Clip(int32_t value) {
    return static_cast<uint8_t>(std::clamp((value + kHalf) >> kShift, 0, 255));
}

}  // namespace

std::optional<ColourMatrix> ColourConversionFor(const AVFrame& source) {
    const AVPixFmtDescriptor* descriptor =
        AV.av_pix_fmt_desc_get(static_cast<AVPixelFormat>(source.format));
    if (!descriptor || (descriptor->flags & AV_PIX_FMT_FLAG_RGB) || descriptor->nb_components < 3) {
        return std::nullopt;
    }
    const LumaWeights from = *WeightsOf(source.colorspace, source.height);
    const bool full = IsFullRange(source);
    if (from.Red == kBt601.Red && from.Blue == kBt601.Blue && !full) return std::nullopt;

    // Code steps per unit of the source's and the output's Y and colour.
    const double lumaRange = full ? 255.0 : 219.0;
    const double colourRange = full ? 255.0 : 224.0;
    const double lumaBlack = full ? 0.0 : 16.0;
    ColourMatrix matrix;
    const std::array<double, 3> outputRange{219.0, 224.0, 224.0};
    const std::array<double, 3> inputRange{lumaRange, colourRange, colourRange};
    for (int column = 0; column < 3; ++column) {
        std::array<double, 3> unit{};
        unit[column] = 1.0 / inputRange[column];  // one code step of this input
        const std::array<double, 3> converted = Convert(from, kBt601, unit);
        for (int row = 0; row < 3; ++row) {
            matrix.Scale[row][column] =
                static_cast<int32_t>(std::lround(converted[row] * outputRange[row] * kOne));
        }
    }
    // Grey stays grey through any change of matrix or range, so Y never
    // feeds the colour rows (their Y column is zero but for rounding).
    matrix.Scale[1][0] = 0;
    matrix.Scale[2][0] = 0;
    // The codes of black and of no colour stay black and colourless.
    const std::array<double, 3> outputZero{16.0, 128.0, 128.0};
    const std::array<double, 3> inputZero{lumaBlack, 128.0, 128.0};
    for (int row = 0; row < 3; ++row) {
        double offset = outputZero[row] * kOne;
        for (int column = 0; column < 3; ++column) {
            offset -= matrix.Scale[row][column] * inputZero[column];
        }
        matrix.Offset[row] = static_cast<int32_t>(std::lround(offset));
    }
    return matrix;
}

int32_t ScalerSourceFormat(int32_t format) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            return AV_PIX_FMT_YUV411P;
        default:
            return format;
    }
}

void ConvertColours(const ColourMatrix& m, AVFrame& picture, int32_t left, int32_t top,
                    int32_t width, int32_t height) {
    const auto& s = m.Scale;
    const int32_t right = left + width;
    const int32_t bottom = top + height;
    // Each Y sample's share of its colour block, made from the block's colour
    // before the colour is replaced; a chunk of a row at a time.
    constexpr int32_t kChunk = 512;
    std::array<int32_t, 2 * kChunk> lumaShare;
    const int32_t lumaScale = s[0][0];
    for (int32_t cy = top / 2; cy < (bottom + 1) / 2; ++cy) {
        uint8_t* cbRow = picture.data[1] + static_cast<ptrdiff_t>(cy) * picture.linesize[1];
        uint8_t* crRow = picture.data[2] + static_cast<ptrdiff_t>(cy) * picture.linesize[2];
        for (int32_t chunkLeft = left / 2; chunkLeft < (right + 1) / 2; chunkLeft += kChunk) {
            const int32_t chunkRight = std::min((right + 1) / 2, chunkLeft + kChunk);
            for (int32_t cx = chunkLeft; cx < chunkRight; ++cx) {
                const int32_t cb = cbRow[cx];
                const int32_t cr = crRow[cx];
                const int32_t share = s[0][1] * cb + s[0][2] * cr + m.Offset[0] + kHalf;
                lumaShare[2 * (cx - chunkLeft)] = share;
                lumaShare[2 * (cx - chunkLeft) + 1] = share;
                cbRow[cx] = Clip(s[1][1] * cb + s[1][2] * cr + m.Offset[1]);
                crRow[cx] = Clip(s[2][1] * cb + s[2][2] * cr + m.Offset[2]);
            }
            const int32_t lumaLeft = std::max(left, 2 * chunkLeft);
            const int32_t count = std::min(right, 2 * chunkRight) - lumaLeft;
            const int32_t* shares = lumaShare.data() + (lumaLeft - 2 * chunkLeft);
            for (int32_t y = 2 * cy; y < std::min(2 * cy + 2, bottom); ++y) {
                uint8_t* row =
                    picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0] + lumaLeft;
                // A plain loop the compiler turns into vector code.
                for (int32_t x = 0; x < count; ++x) {
                    const int32_t value = (lumaScale * row[x] + shares[x]) >> kShift;
                    row[x] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
                }
            }
        }
    }
}

}  // namespace transcode
