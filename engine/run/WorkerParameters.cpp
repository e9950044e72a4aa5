#include "WorkerParameters.h"

#include "ConfigureWorker.h"

namespace {

struct FrameRate {
    int32_t Numerator;
    int32_t Denominator;
};

// frameRateIndex 0 to 3; any other index gives 25 fps.
FrameRate FrameRateForIndex(int32_t index) {
    switch (index) {
        case 0:
            return {14985, 1000};
        case 1:
            return {23975, 1000};
        case 2:
            return {25, 1};
        case 3:
            return {2997, 100};
        default:
            return {25, 1};
    }
}

}  // namespace

bool WorkerParameters::SetVideoParameters(int32_t width, int32_t height, int32_t frameRateIndex,
                                          int32_t bitRate, int32_t codecChoice) {
    Parameters_.Width = width;
    Parameters_.Height = height;
    Parameters_.VideoBitRate = bitRate;
    Parameters_.VideoCodecId = codecChoice == 1 ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_H263;
    const FrameRate rate = FrameRateForIndex(frameRateIndex);
    Parameters_.FrameRateNumerator = rate.Numerator;
    Parameters_.FrameRateDenominator = rate.Denominator;
    return true;
}

bool WorkerParameters::SetAudioParameters(int32_t bitRateKbps, int32_t sampleRate, int32_t channels,
                                          int32_t /*codecChoice*/) {
    Parameters_.AudioBitRate = bitRateKbps * 1000;
    Parameters_.SampleRate = sampleRate;
    Parameters_.Channels = channels;
    // Phones take AMR narrow-band whatever the model's audio flag says.
    Parameters_.AudioCodecId = AV_CODEC_ID_AMR_NB;
    return true;
}

bool WorkerParameters::SetPhoneOptions(int64_t sizeLimitBytes, bool evenLoudness) {
    if (sizeLimitBytes < 0) return false;
    Parameters_.SizeLimitBytes = sizeLimitBytes;
    Parameters_.EvenLoudness = evenLoudness;
    return true;
}

bool WorkerParameters::SetPictureFit(int32_t fit) {
    if (fit < 0 || fit > 2) return false;
    Parameters_.PictureFit = static_cast<PictureFitMode>(fit);
    return true;
}

std::optional<ConversionParameters> ParametersForSelection(const ProfileSelection& selection) {
    WorkerParameters setup;
    if (!ConfigureWorker(selection, setup)) return std::nullopt;
    return setup.Parameters();
}
