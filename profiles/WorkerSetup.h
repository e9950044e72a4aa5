// The setters through which a selection reaches a conversion worker. The
// worker (TCompressThread) implements them; ConfigureWorker calls them.
#pragma once

#include <cstdint>

class TWorkerSetup {
public:
    virtual ~TWorkerSetup() = default;
    // bitRate in bit/s; frameRateIndex 0 to 3 (FrameRateTable's Id), false
    // and nothing changed for any other; codecChoice 1 asks for MPEG-4 Part 2,
    // anything else for H.263.
    virtual bool SetVideoParameters(int32_t width, int32_t height, int32_t frameRateIndex,
                                    int32_t bitRate, int32_t codecChoice) = 0;
    // bitRateKbps in kbit/s; sampleRate in Hz; channels 1 or 2; codecChoice is
    // the phone model's audio flag (AMR narrow-band whatever its value).
    virtual bool SetAudioParameters(int32_t bitRateKbps, int32_t sampleRate, int32_t channels,
                                    int32_t codecChoice) = 0;
    // sizeLimitBytes: every output at most this many bytes, the bitrates
    // computed per clip (0: no limit, the bitrates above hold); evenLoudness:
    // the sound brought to one loudness.
    virtual bool SetPhoneOptions(int64_t sizeLimitBytes, bool evenLoudness) = 0;
    // fit 0 Stretch, 1 Black bars, 2 Crop; false for another number.
    virtual bool SetPictureFit(int32_t fit) = 0;
    // Subtitles burned into the pictures: a clip's forced, default or first
    // track, else a subtitle file beside it.
    virtual void SetSubtitleBurnIn(bool burnIn) = 0;
};
