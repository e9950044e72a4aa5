#include "ProfileSelection.h"

#include <array>

#include "PhoneTables.h"
#include "QualityTables.h"
#include "ResolutionTables.h"
#include "SizeLimit.h"

namespace {

template <typename Table>
constexpr bool InTable(const Table& table, int32_t row) {
    return row >= 0 && row < static_cast<int32_t>(table.size());
}

void CopyModelFlags(ProfileSelection& s) {
    const PhoneModelEntry& model = PhoneModelTable[static_cast<std::size_t>(s.PhoneModel)];
    s.VideoCodec = model.VideoCodec;
    s.AudioFlag = model.AudioFlag;
}

// Sets the five quality values and Quality from a preset, unconditionally.
void ApplyPreset(ProfileSelection& s, int32_t level) {
    const QualityPreset& preset = QualityPresetTable[static_cast<std::size_t>(level)];
    s.VideoQuality = preset.VideoQuality;
    s.FrameRate = preset.FrameRate;
    s.AudioChannels = preset.AudioChannels;
    s.AudioFrequency = preset.AudioFrequency;
    s.AudioQuality = preset.AudioQuality;
    s.Quality = preset.Quality;
}

// Sets Quality to level, applying the preset of Low to Best first; Custom keeps
// the values.
void MakeLevelChosen(ProfileSelection& s, int32_t level) {
    if (level == QualityCustom) {
        s.Quality = QualityCustom;
    } else {
        ApplyPreset(s, level);
    }
}

bool IsQualityLevel(int32_t level) {
    return level >= QualityLow && level <= QualityCustom;
}

bool IsPictureFit(int32_t fit) {
    return fit >= 0 && fit <= 2;
}

bool IsUsableVideoQuality(int32_t kbps) {
    return kbps >= MinVideoQuality && kbps <= MaxVideoQuality;
}

}  // namespace

bool ProfileSelection::SelectPhoneManufacturer(int32_t id) {
    if (!InTable(ManufacturerTable, id)) return false;
    if (id == PhoneManufacturer) return true;
    PhoneManufacturer = id;
    for (std::size_t row = 0; row < PhoneModelTable.size(); ++row) {
        if (PhoneModelTable[row].Manufacturer == id) {
            SelectPhoneModel(static_cast<int32_t>(row));
            break;
        }
    }
    return true;
}

bool ProfileSelection::SelectPhoneModel(int32_t row) {
    if (!InTable(PhoneModelTable, row)) return false;
    PhoneModel = row;
    Resolution = PhoneModelTable[static_cast<std::size_t>(row)].Resolution;
    ApplyResolution();
    CopyModelFlags(*this);
    return true;
}

bool ProfileSelection::SelectResolution(int32_t row) {
    if (!InTable(ResolutionTable, row)) return false;
    Resolution = row;
    ApplyResolution();
    return true;
}

void ProfileSelection::ApplyResolution() {
    if (!InTable(ResolutionTable, Resolution)) return;
    const ResolutionEntry& entry = ResolutionTable[static_cast<std::size_t>(Resolution)];
    Width = entry.Width;
    Height = entry.Height;
}

bool ProfileSelection::ApplyQualityLevel(int32_t level) {
    if (!IsQualityLevel(level)) return false;
    if (level != ShownQualityLevel()) MakeLevelChosen(*this, level);
    return true;
}

bool ProfileSelection::SelectFrameRate(int32_t row) {
    if (!InTable(FrameRateTable, row)) return false;
    FrameRate = row;
    return true;
}

bool ProfileSelection::SelectVideoQuality(int32_t position) {
    if (!InTable(VideoBitrateList, position)) return false;
    VideoQuality = VideoBitrateList[static_cast<std::size_t>(position)];
    return true;
}

bool ProfileSelection::SelectAudioQuality(int32_t row) {
    if (!InTable(AudioBitrateList, row)) return false;
    AudioQuality = row;
    return true;
}

bool ProfileSelection::SelectPictureFit(int32_t fit) {
    if (!IsPictureFit(fit)) return false;
    PictureFit = fit;
    return true;
}

bool ProfileSelection::SelectSubtitles(int32_t choice) {
    if (choice != 0 && choice != 1) return false;
    Subtitles = choice;
    return true;
}

int32_t ProfileSelection::ShownQualityLevel() const {
    return IsQualityLevel(Quality) ? Quality : QualityMedium;
}

bool ProfileSelection::SelectSizeLimit(int32_t row) {
    if (!InTable(SizeLimitTable, row)) return false;
    SizeLimit = row;
    return true;
}

bool ProfileSelection::SelectSoundChoice(int32_t row) {
    if (!InTable(SoundChoiceNames, row)) return false;
    EvenLoudness = row;
    return true;
}

int64_t ProfileSelection::SizeLimitBytes() const {
    return InTable(SizeLimitTable, SizeLimit)
               ? SizeLimitTable[static_cast<std::size_t>(SizeLimit)].Bytes
               : 0;
}

bool HasValidRows(const ProfileSelection& s) {
    return InTable(SizeLimitTable, s.SizeLimit) && InTable(SoundChoiceNames, s.EvenLoudness) &&
           InTable(ResolutionTable, s.Resolution) && InTable(FrameRateTable, s.FrameRate) &&
           IsUsableVideoQuality(s.VideoQuality) && InTable(ChannelTable, s.AudioChannels) &&
           InTable(SampleRateList, s.AudioFrequency) && InTable(AudioBitrateList, s.AudioQuality) &&
           InTable(PhoneModelTable, s.PhoneModel) &&
           InTable(ManufacturerTable, s.PhoneManufacturer) && IsPictureFit(s.PictureFit);
}

std::vector<std::string_view> SettleRestoredSelection(ProfileSelection& s) {
    const ProfileSelection initial;
    std::vector<std::string_view> replaced;
    auto keepIf = [&](bool usable, int32_t& field, int32_t initialValue, std::string_view name) {
        if (!usable) {
            field = initialValue;
            replaced.push_back(name);
        }
    };
    keepIf(InTable(ResolutionTable, s.Resolution), s.Resolution, initial.Resolution, "Resolution");
    keepIf(InTable(FrameRateTable, s.FrameRate), s.FrameRate, initial.FrameRate, "FrameRate");
    keepIf(IsUsableVideoQuality(s.VideoQuality), s.VideoQuality, initial.VideoQuality,
           "VideoQuality");
    keepIf(InTable(ChannelTable, s.AudioChannels), s.AudioChannels, initial.AudioChannels,
           "AudioChannels");
    keepIf(InTable(SampleRateList, s.AudioFrequency), s.AudioFrequency, initial.AudioFrequency,
           "AudioFrequency");
    keepIf(InTable(AudioBitrateList, s.AudioQuality), s.AudioQuality, initial.AudioQuality,
           "AudioQuality");
    keepIf(InTable(PhoneModelTable, s.PhoneModel), s.PhoneModel, initial.PhoneModel, "PhoneModel");
    keepIf(InTable(ManufacturerTable, s.PhoneManufacturer), s.PhoneManufacturer,
           initial.PhoneManufacturer, "PhoneManufacturer");
    keepIf(InTable(SizeLimitTable, s.SizeLimit), s.SizeLimit, initial.SizeLimit, "SizeLimit");
    keepIf(InTable(SoundChoiceNames, s.EvenLoudness), s.EvenLoudness, initial.EvenLoudness,
           "EvenLoudness");
    keepIf(IsPictureFit(s.PictureFit), s.PictureFit, initial.PictureFit, "PictureFit");
    keepIf(s.Subtitles == 0 || s.Subtitles == 1, s.Subtitles, initial.Subtitles, "Subtitles");

    CopyModelFlags(s);
    // Before the stored level is chosen the window shows Medium, so Medium
    // and numbers outside 0 to 4 (which show Medium) change nothing.
    if (s.ShownQualityLevel() != QualityMedium) MakeLevelChosen(s, s.Quality);
    s.ApplyResolution();
    return replaced;
}
