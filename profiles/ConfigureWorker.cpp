#include "ConfigureWorker.h"

#include "QualityTables.h"

bool ConfigureWorker(const ProfileSelection& s, TWorkerSetup& worker) {
    if (!HasValidRows(s)) return false;
    const auto at = [](const auto& table, int32_t row) -> const auto& {
        return table[static_cast<std::size_t>(row)];
    };
    if (!worker.SetVideoParameters(s.Width, s.Height, at(FrameRateTable, s.FrameRate).Id,
                                   s.VideoQuality * 1000, s.VideoCodec)) {
        return false;
    }
    if (!worker.SetAudioParameters(at(AudioBitrateList, s.AudioQuality),
                                   at(SampleRateList, s.AudioFrequency),
                                   at(ChannelTable, s.AudioChannels).Id, s.AudioFlag)) {
        return false;
    }
    worker.SetSubtitleBurnIn(s.Subtitles == 1);
    return worker.SetPictureFit(s.PictureFit) &&
           worker.SetPhoneOptions(s.SizeLimitBytes(), s.EvenLoudness == 1);
}
