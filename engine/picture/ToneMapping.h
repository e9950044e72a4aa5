// HDR pictures (PQ or HLG transfer, normally with BT.2020 primaries) made
// into the SDR pictures a phone shows: the light is decoded, the BT.2020
// primaries are converted to BT.709 with out-of-gamut colours pulled towards
// grey instead of clipped, 203 cd/m² (the HDR reference white) becomes SDR
// white, highlights above a knee are rolled off softly, and the result is
// encoded again for an SDR display (gamma 2.4) in BT.601 limited-range
// Y'CbCr.
//
// It runs on the picture already scaled to the phone's size: the scaler
// gives 16-bit samples of the source's own signal, this turns them into the
// 8-bit output picture.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

namespace transcode {

enum class HdrTransfer { Pq, Hlg };

// The HDR transfer of the source's pictures, or none for SDR ones.
std::optional<HdrTransfer> HdrTransferOf(int32_t colourTransfer);

// "HDR picture (PQ) mapped to SDR" (or HLG) for a stream whose pictures are
// tone mapped; empty for others.
std::string ToneMappingRemark(const AVStream& video);

// A warning for a Dolby Vision stream whose base layer is no picture of its
// own (profile 5: its colours need the enhancement data, which is not
// applied); empty for others.
std::string DolbyVisionWarning(const AVStream& video);

class TToneMapping {
public:
    // For pictures like first: its matrix, range, primaries and (PQ) the
    // peak its mastering or content light metadata give.
    TToneMapping(HdrTransfer transfer, const AVFrame& first);

    // Turns the 16-bit YUV 4:2:0 picture hdr (AV_PIX_FMT_YUV420P16, as the
    // scaler made it from the source) into the rectangle of output, an 8-bit
    // YUV 4:2:0 picture, whose top left corner is at left, top (both even).
    void Apply(const AVFrame& hdr, AVFrame& output, int32_t left, int32_t top) const;

    // The output's 8-bit Y, Cb and Cr of one source sample of normalised Y
    // (0..1) and Cb, Cr (-0.5..0.5); for the tests.
    std::array<double, 3> MapSample(double y, double cb, double cr) const;

private:
    // SDR-relative linear R, G, B (1 = reference white) in BT.709 primaries
    // from normalised Y'CbCr of the source.
    std::array<float, 3> LinearLight(float y, float cb, float cr) const;
    // Gamut and tone mapped, BT.709-encoded R'G'B' (0..1).
    std::array<float, 3> Displayed(std::array<float, 3> rgb) const;

    // The source's Y'CbCr: its luma weights and its code ranges.
    float RedWeight = 0.2627f;
    float BlueWeight = 0.0593f;
    float LumaBlack = 16.0f;
    float LumaRange = 219.0f;
    float ColourRange = 224.0f;
    // Linear BT.2020 (or the source's) to linear BT.709 RGB.
    std::array<std::array<float, 3>, 3> Primaries{};
    // Where the knee starts and the highlight the roll-off brings to white,
    // both in units of reference white.
    float Knee = 0.75f;
    float Peak = 1000.0f / 203.0f;
    // Lookup tables over 0..1 of their input: the signal to display light
    // relative to reference white, and display light to the SDR signal.
    std::vector<float> ToLight;
    std::vector<float> Encode;
};

}  // namespace transcode
