#include "ToneMapping.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/dovi_meta.h>
#include <libavutil/mastering_display_metadata.h>
}

#include "Dynamicavimport.h"

namespace transcode {

namespace {

// cd/m² of the HDR reference white, which becomes SDR white (ITU-R BT.2408).
constexpr double kReferenceWhite = 203.0;
// The display an HLG signal is meant for, and its system gamma (BT.2100).
constexpr double kHlgDisplayPeak = 1000.0;
constexpr double kHlgSystemGamma = 1.2;
// A PQ source that tells no peak is taken as graded on a 1000 cd/m² display.
constexpr double kPqDefaultPeak = 1000.0;
// Where the highlights' roll-off starts, in units of reference white: what
// lies below keeps its light exactly.
constexpr float kKnee = 0.75f;

constexpr int kTableSize = 8192;

// PQ's signal to cd/m² (SMPTE ST 2084).
double PqToNits(double signal) {
    constexpr double m1 = 2610.0 / 16384.0;
    constexpr double m2 = 2523.0 / 4096.0 * 128.0;
    constexpr double c1 = 3424.0 / 4096.0;
    constexpr double c2 = 2413.0 / 4096.0 * 32.0;
    constexpr double c3 = 2392.0 / 4096.0 * 32.0;
    const double p = std::pow(std::max(signal, 0.0), 1.0 / m2);
    return 10000.0 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1.0 / m1);
}

// HLG's signal to scene light, 0..1 (the inverse of its OETF).
double HlgToScene(double signal) {
    constexpr double a = 0.17883277;
    constexpr double b = 0.28466892;
    constexpr double c = 0.55991073;
    if (signal <= 0.5) return signal * signal / 3.0;
    return (std::exp((signal - c) / a) + b) / 12.0;
}

// HLG's signal to the light of the display it is meant for, relative to
// its peak: the system gamma applied to each component, which keeps
// saturated colours as saturated as an SDR picture of the scene.
double HlgToDisplay(double signal) {
    return std::pow(HlgToScene(signal), kHlgSystemGamma);
}

// Display light 0..1 to the signal of an SDR BT.709 display (the inverse of
// its BT.1886 gamma of 2.4).
double SdrSignal(double light) {
    return std::pow(light, 1.0 / 2.4);
}

std::vector<float> Table(double (*function)(double), double scale) {
    std::vector<float> table(kTableSize + 1);
    for (int i = 0; i <= kTableSize; ++i) {
        table[i] = static_cast<float>(scale * function(static_cast<double>(i) / kTableSize));
    }
    return table;
}

// The table's value at x (0..1, clamped), interpolated.
inline float Look(const std::vector<float>& table, float x) {
    const float position = std::clamp(x, 0.0f, 1.0f) * kTableSize;
    const int index = std::min(static_cast<int>(position), kTableSize - 1);
    const float part = position - static_cast<float>(index);
    return table[index] + part * (table[index + 1] - table[index]);
}

// The source's peak in cd/m²: its content light level, else its mastering
// display's peak, else the usual grading display's.
double PqPeak(const AVFrame& frame) {
    if (const AVFrameSideData* data =
            AV.av_frame_get_side_data(&frame, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL)) {
        const auto* light = reinterpret_cast<const AVContentLightMetadata*>(data->data);
        if (light->MaxCLL > 0) return light->MaxCLL;
    }
    if (const AVFrameSideData* data =
            AV.av_frame_get_side_data(&frame, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA)) {
        const auto* display = reinterpret_cast<const AVMasteringDisplayMetadata*>(data->data);
        if (display->has_luminance && display->max_luminance.den > 0 &&
            display->max_luminance.num > 0) {
            return av_q2d(display->max_luminance);
        }
    }
    return kPqDefaultPeak;
}

}  // namespace

std::optional<HdrTransfer> HdrTransferOf(int32_t colourTransfer) {
    switch (colourTransfer) {
        case AVCOL_TRC_SMPTE2084:
            return HdrTransfer::Pq;
        case AVCOL_TRC_ARIB_STD_B67:
            return HdrTransfer::Hlg;
        default:
            return std::nullopt;
    }
}

std::string ToneMappingRemark(const AVStream& video) {
    const auto transfer = HdrTransferOf(video.codecpar->color_trc);
    if (!transfer) return {};
    return std::string("HDR picture (") + (*transfer == HdrTransfer::Pq ? "PQ" : "HLG") +
           ") mapped to SDR";
}

std::string DolbyVisionWarning(const AVStream& video) {
    std::size_t size = 0;
    const uint8_t* data = AV.av_stream_get_side_data(&video, AV_PKT_DATA_DOVI_CONF, &size);
    if (!data || size < sizeof(AVDOVIDecoderConfigurationRecord)) return {};
    const auto* record = reinterpret_cast<const AVDOVIDecoderConfigurationRecord*>(data);
    if (record->dv_profile != 5) return {};
    return "Dolby Vision profile 5: the colours will be wrong, since its pictures need the "
           "Dolby Vision data, which is not applied";
}

TToneMapping::TToneMapping(HdrTransfer transfer, const AVFrame& first) {
    if (first.colorspace == AVCOL_SPC_BT709) {
        RedWeight = 0.2126f;
        BlueWeight = 0.0722f;
    }
    if (first.color_range == AVCOL_RANGE_JPEG) {
        LumaBlack = 0.0f;
        LumaRange = 255.0f;
        ColourRange = 255.0f;
    }
    switch (first.color_primaries) {
        case AVCOL_PRI_BT709:
            Primaries = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
            break;
        case AVCOL_PRI_SMPTE432:  // Display P3
            Primaries = {{{1.224940f, -0.224940f, 0.0f},
                          {-0.042057f, 1.042057f, 0.0f},
                          {-0.019638f, -0.078636f, 1.098274f}}};
            break;
        default:  // BT.2020, and HDR sources that do not say
            Primaries = {{{1.660491f, -0.587641f, -0.072850f},
                          {-0.124550f, 1.132900f, -0.008349f},
                          {-0.018151f, -0.100579f, 1.118730f}}};
            break;
    }
    Knee = kKnee;
    if (transfer == HdrTransfer::Pq) {
        Peak = static_cast<float>(std::max(PqPeak(first), kReferenceWhite) / kReferenceWhite);
        ToLight = Table(PqToNits, 1.0 / kReferenceWhite);
    } else {
        Peak = static_cast<float>(kHlgDisplayPeak / kReferenceWhite);
        ToLight = Table(HlgToDisplay, kHlgDisplayPeak / kReferenceWhite);
    }
    Encode = Table(SdrSignal, 1.0);
}

std::array<float, 3> TToneMapping::LinearLight(float y, float cb, float cr) const {
    const float red = y + 2 * (1 - RedWeight) * cr;
    const float blue = y + 2 * (1 - BlueWeight) * cb;
    const float green = (y - RedWeight * red - BlueWeight * blue) / (1 - RedWeight - BlueWeight);
    const std::array<float, 3> light{Look(ToLight, red), Look(ToLight, green), Look(ToLight, blue)};
    std::array<float, 3> converted{};
    for (int row = 0; row < 3; ++row) {
        converted[row] = Primaries[row][0] * light[0] + Primaries[row][1] * light[1] +
                         Primaries[row][2] * light[2];
    }
    return converted;
}

std::array<float, 3> TToneMapping::Displayed(std::array<float, 3> rgb) const {
    // Out of the BT.709 gamut: the colour is pulled towards the grey of its
    // own luminance until it fits, keeping its hue and light.
    const float luminance = 0.2126f * rgb[0] + 0.7152f * rgb[1] + 0.0722f * rgb[2];
    const float lowest = std::min({rgb[0], rgb[1], rgb[2]});
    if (lowest < 0) {
        if (luminance <= 0) return {0, 0, 0};
        const float share = luminance / (luminance - lowest);
        for (float& value : rgb) value = luminance + share * (value - luminance);
    }
    // Highlights: above the knee the brightest component is rolled off so
    // that the source's peak reaches white, all three scaled alike so that
    // the colour keeps its hue and saturation.
    const float highest = std::max({rgb[0], rgb[1], rgb[2]});
    if (highest > Knee) {
        const float headroom = 1 - Knee;
        const float excess = (highest - Knee) / headroom;
        const float peak = std::max((Peak - Knee) / headroom, 1.0f);
        const float rolled = std::min(excess * (1 + excess / (peak * peak)) / (1 + excess), 1.0f);
        const float scale = (Knee + headroom * rolled) / highest;
        for (float& value : rgb) value *= scale;
    }
    return {Look(Encode, rgb[0]), Look(Encode, rgb[1]), Look(Encode, rgb[2])};
}

std::array<double, 3> TToneMapping::MapSample(double y, double cb, double cr) const {
    const std::array<float, 3> rgb = Displayed(
        LinearLight(static_cast<float>(y), static_cast<float>(cb), static_cast<float>(cr)));
    const double luma = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
    return {16 + 219 * luma, 128 + 224 * (rgb[2] - luma) / 1.772,
            128 + 224 * (rgb[0] - luma) / 1.402};
}

void TToneMapping::Apply(const AVFrame& hdr, AVFrame& output, int32_t left, int32_t top) const {
    // 16-bit samples carry the source's codes shifted up to 16 bits.
    constexpr float kCodeStep = 1.0f / 256.0f;
    const float lumaScale = kCodeStep / LumaRange;
    const float lumaOffset = LumaBlack / LumaRange;
    const float colourScale = kCodeStep / ColourRange;
    const float colourOffset = 128.0f / ColourRange;
    const auto sample = [](const AVFrame& frame, int plane, int x, int y) {
        const auto* row = reinterpret_cast<const uint16_t*>(
            frame.data[plane] + static_cast<ptrdiff_t>(y) * frame.linesize[plane]);
        return static_cast<float>(row[x]);
    };
    const auto code = [](float value) {
        return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    };
    for (int32_t cy = 0; cy < (hdr.height + 1) / 2; ++cy) {
        uint8_t* cbRow = output.data[1] + static_cast<ptrdiff_t>(top / 2 + cy) * output.linesize[1];
        uint8_t* crRow = output.data[2] + static_cast<ptrdiff_t>(top / 2 + cy) * output.linesize[2];
        for (int32_t cx = 0; cx < (hdr.width + 1) / 2; ++cx) {
            const float cb = sample(hdr, 1, cx, cy) * colourScale - colourOffset;
            const float cr = sample(hdr, 2, cx, cy) * colourScale - colourOffset;
            float cbSum = 0;
            float crSum = 0;
            int count = 0;
            for (int32_t y = 2 * cy; y < std::min(2 * cy + 2, hdr.height); ++y) {
                uint8_t* row =
                    output.data[0] + static_cast<ptrdiff_t>(top + y) * output.linesize[0] + left;
                for (int32_t x = 2 * cx; x < std::min(2 * cx + 2, hdr.width); ++x) {
                    const float luma = sample(hdr, 0, x, y) * lumaScale - lumaOffset;
                    const std::array<float, 3> rgb = Displayed(LinearLight(luma, cb, cr));
                    const float outLuma = 0.299f * rgb[0] + 0.587f * rgb[1] + 0.114f * rgb[2];
                    row[x] = code(16 + 219 * outLuma);
                    cbSum += (rgb[2] - outLuma) / 1.772f;
                    crSum += (rgb[0] - outLuma) / 1.402f;
                    ++count;
                }
            }
            cbRow[left / 2 + cx] = code(128 + 224 * cbSum / static_cast<float>(count));
            crRow[left / 2 + cx] = code(128 + 224 * crSum / static_cast<float>(count));
        }
    }
}

}  // namespace transcode
