// The conversion parameters that a selection gives through the worker's
// setters, kept apart from the worker so that anything showing the result in
// advance (the phone page's still, its expected sizes) uses the very values a
// run would.
#pragma once

#include <optional>
#include <string>

#include "ConversionParameters.h"
#include "ProfileSelection.h"
#include "WorkerSetup.h"

class TWorkerParameters : public TWorkerSetup {
public:
    bool SetVideoParameters(int32_t width, int32_t height, int32_t frameRateIndex, int32_t bitRate,
                            int32_t codecChoice) override;
    bool SetPictureFit(int32_t fit) override;
    bool SetAudioParameters(int32_t bitRateKbps, int32_t sampleRate, int32_t channels,
                            int32_t codecChoice) override;
    bool SetPhoneOptions(int64_t sizeLimitBytes, bool evenLoudness) override;
    void SetSubtitleBurnIn(bool burnIn) override { SetSubtitles(burnIn); }
    // Burned-in subtitles: a file for every clip, else the track (1-based; 0
    // the forced, default or first one), else a file beside each clip.
    void SetSubtitles(bool burnIn, const std::string& file = {}, int32_t track = 0);

    const ConversionParameters& Parameters() const { return Parameters_; }

private:
    ConversionParameters Parameters_;
};

// What a run over the selection would convert with; none when the selection
// cannot configure a worker (a row outside its table).
std::optional<ConversionParameters> ParametersForSelection(const ProfileSelection& selection);
