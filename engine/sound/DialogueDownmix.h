// Surround sound with a centre channel folded into mono so that the dialogue
// (which films keep in the centre) stays as loud as it was: the centre at
// 0.707, each front channel at 0.5, each surround at 0.354 and the LFE left
// out, as the ATSC A/52 Lo/Ro downmix folded to mono does. The library's own
// downmix scales the whole mix down so that it can never clip, which leaves
// the voice some 17 dB too quiet; here only the peaks are held back, by a
// limiter that looks a few milliseconds ahead.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "AvPtr.h"

namespace transcode {

class TDialogueDownmix {
public:
    // Whether sound of the layout folds this way into outputChannels: a
    // layout with a front centre and more channels than that, into mono.
    static bool Applies(const AVChannelLayout& layout, int32_t outputChannels);

    // For sound like first, resampled to outputRate. Throws TEngineError when
    // the resampler cannot be made.
    TDialogueDownmix(const AVFrame& first, int32_t outputRate);

    // Whether frame is sound of the kind this was made for.
    bool Matches(const AVFrame& frame) const;

    using Sink = std::function<void(const uint8_t* samples, int64_t count)>;
    // Mixes, resamples and limits a decoded frame; the 16-bit mono samples go
    // to sink as they leave the limiter.
    void Convert(const AVFrame& decoded, const Sink& sink);
    // The end of the sound: what the resampler and the limiter still hold.
    void Finish(const Sink& sink);

    // The limiter on its own, for float samples of one channel: each sample
    // goes in, and (after the look-ahead) comes out no louder than Ceiling.
    class TLimiter {
    public:
        explicit TLimiter(int32_t sampleRate);
        void Push(const float* samples, int64_t count, std::vector<int16_t>& out);
        // What it still holds, followed by silence.
        void Finish(std::vector<int16_t>& out);

    private:
        void Take(float sample, std::vector<int16_t>& out);

        std::vector<float> Samples;  // the look-ahead, a ring
        std::vector<float> Needed;   // each sample's gain that keeps it below Ceiling
        std::size_t Next = 0;        // where the next sample goes
        std::size_t Held = 0;        // samples in the ring
        float Gain = 1.0f;
        float Release = 0.0f;  // share of the way back to 1 per sample
    };

    // The 16-bit ceiling of the limited sound: about -1 dBFS, the headroom
    // the AMR encoder's own overshoot needs.
    static constexpr float Ceiling = 0.89f;

private:
    void Pass(int produced, const Sink& sink);

    av::ResamplerPtr Resampler;
    int32_t Format = -1;
    int32_t Rate = 0;
    std::vector<int32_t> Channels;  // the input's channels, in its order
    int32_t OutputRate = 8000;
    std::vector<float> Mixed;
    std::vector<int16_t> Limited;
    TLimiter Peaks;
};

}  // namespace transcode
