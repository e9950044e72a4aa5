// Even loudness for a phone's small speaker: the resampled mono sound goes
// through FFmpeg's EBU R128 normaliser (loudnorm, one pass) on its way to the
// encoder. The target lies 2 LU above the -16 LUFS wanted in the file, because
// AMR narrow-band takes about that much off speech-like sound, and its peak
// ceiling leaves room for the coder's own overshoot below -1.5 dBTP.
#pragma once

#include <cstdint>
#include <functional>

#include "AvPtr.h"

namespace transcode {

class TLoudnessFilter {
public:
    // Takes interleaved signed 16-bit samples of channels channels at
    // sampleRate, as many at a time as the caller has; what comes out is the
    // same format.
    TLoudnessFilter(int sampleRate, int channels);
    TLoudnessFilter(const TLoudnessFilter&) = delete;
    TLoudnessFilter& operator=(const TLoudnessFilter&) = delete;

    using Sink = std::function<void(const uint8_t* samples, int64_t count)>;
    // Hands count samples to the normaliser; every sample it gives back goes
    // to sink. It holds about three seconds before the first comes out.
    void Push(const uint8_t* samples, int64_t count, const Sink& sink);
    // The end of the sound: everything it still holds goes to sink.
    void Finish(const Sink& sink);

private:
    void Drain(const Sink& sink);

    const int SampleRate;
    const int Channels;
    av::FilterGraphPtr Graph;
    AVFilterContext* Source = nullptr;  // belong to the graph
    AVFilterContext* Output = nullptr;
    av::FramePtr Incoming;
    av::FramePtr Outgoing;
    int64_t Pushed = 0;  // samples handed in, the next frame's time stamp
};

}  // namespace transcode
