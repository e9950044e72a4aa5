#include "WorkerParameters.h"

#include <algorithm>

#include "ConfigureWorker.h"
#include "QualityTables.h"

bool TWorkerParameters::SetVideoParameters(int32_t width, int32_t height, int32_t frameRateIndex,
                                           int32_t bitRate, int32_t codecChoice) {
    // A choice outside the table is refused and changes nothing: no rate is
    // made up for it.
    const FrameRateEntry* rate = FindFrameRate(frameRateIndex);
    if (rate == nullptr) return false;
    Parameters_.Width = width;
    Parameters_.Height = height;
    Parameters_.VideoBitRate = bitRate;
    Parameters_.VideoCodecId = codecChoice == 1 ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_H263;
    Parameters_.FrameRateNumerator = rate->Numerator;
    Parameters_.FrameRateDenominator = rate->Denominator;
    return true;
}

bool TWorkerParameters::SetAudioParameters(int32_t bitRateKbps, int32_t sampleRate,
                                           int32_t channels, int32_t /*codecChoice*/) {
    Parameters_.AudioBitRate = bitRateKbps * 1000;
    Parameters_.SampleRate = sampleRate;
    Parameters_.Channels = channels;
    // Phones take AMR narrow-band whatever the model's audio flag says.
    Parameters_.AudioCodecId = AV_CODEC_ID_AMR_NB;
    return true;
}

bool TWorkerParameters::SetPhoneOptions(int64_t sizeLimitBytes, bool evenLoudness) {
    if (sizeLimitBytes < 0) return false;
    Parameters_.SizeLimitBytes = sizeLimitBytes;
    Parameters_.EvenLoudness = evenLoudness;
    return true;
}

bool TWorkerParameters::SetPictureFit(int32_t fit) {
    if (fit < 0 || fit > 2) return false;
    Parameters_.PictureFit = static_cast<PictureFitMode>(fit);
    return true;
}

void TWorkerParameters::SetSubtitles(bool burnIn, const std::string& file, int32_t track) {
    Parameters_.BurnSubtitles = burnIn;
    Parameters_.SubtitleFile = file;
    Parameters_.SubtitleTrack = std::max(track, 0);
}

std::optional<ConversionParameters> ParametersForSelection(const ProfileSelection& selection) {
    TWorkerParameters setup;
    if (!ConfigureWorker(selection, setup)) return std::nullopt;
    return setup.Parameters();
}
