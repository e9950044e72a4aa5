// The current choice of phone, picture size and quality, and the rules that
// change it. Every field but VideoQuality and Quality is a row of a table.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct ProfileSelection {
    // The initial values are the Medium preset with the first phone model
    // ("Nokia N93"); Width, Height, VideoCodec and AudioFlag already agree
    // with them, so a selection is coherent even before it is settled.
    int32_t Width = 320;            // follows Resolution
    int32_t Height = 240;           // follows Resolution
    int32_t Resolution = 11;        // row of ResolutionTable
    int32_t FrameRate = 0;          // row of FrameRateTable
    int32_t VideoQuality = 80;      // video bitrate in kbit/s, a value, not a row
    int32_t AudioChannels = 0;      // row of ChannelTable
    int32_t AudioFrequency = 0;     // row of SampleRateList
    int32_t AudioQuality = 4;       // row of AudioBitrateList
    int32_t PhoneModel = 0;         // row of PhoneModelTable
    int32_t PhoneManufacturer = 0;  // row of ManufacturerTable
    int32_t Quality = 1;            // 0 Low, 1 Medium, 2 Hight, 3 Best, 4 Custom
    int32_t VideoCodec = 1;         // copy of the model's VideoCodec
    int32_t AudioFlag = 1;          // copy of the model's AudioFlag
    int32_t SizeLimit = 0;          // row of SizeLimitTable; 0: no limit
    int32_t EvenLoudness = 0;       // row of SoundChoiceNames: 0 as recorded, 1 even loudness
    int32_t PictureFit = 0;         // 0 Stretch, 1 Black bars, 2 Crop (PictureFitMode)
    int32_t Subtitles = 0;          // 0 None, 1 Burn in

    bool operator==(const ProfileSelection&) const = default;

    // Each operation returns false, and changes nothing, when its argument is
    // outside the stated range; otherwise it returns true, even when the
    // argument asked for what is already chosen.

    // id 0 to 3. Switching to another manufacturer selects its first model
    // (as SelectPhoneModel does); the current manufacturer changes nothing.
    bool SelectPhoneManufacturer(int32_t id);
    // row 0 to 83. Sets the model and its default picture size and copies its
    // codec and audio flag, also when the row is the current model. The row is
    // not checked against PhoneManufacturer.
    bool SelectPhoneModel(int32_t row);
    // row 0 to 17. Not checked against VideoCodec: the caller offers only the
    // rows AllowedResolutions(VideoCodec) lists.
    bool SelectResolution(int32_t row);
    // Width and Height from ResolutionTable[Resolution]. Resolution must be a
    // valid row; an invalid one leaves Width and Height as they are.
    void ApplyResolution();
    // level 0 to 4. Runs only when the level differs from ShownQualityLevel():
    // Low to Best set the five quality values from their preset and then
    // Quality; Custom sets Quality to 4 and keeps the values.
    bool ApplyQualityLevel(int32_t level);
    // row 0 to 3 of FrameRateTable. Leaves Quality as it is.
    bool SelectFrameRate(int32_t row);
    // position 0 to 13 of VideoBitrateList. Leaves Quality as it is.
    bool SelectVideoQuality(int32_t position);
    // row 0 to 14 of AudioBitrateList. Leaves Quality as it is.
    bool SelectAudioQuality(int32_t row);
    // row 0 to 5 of SizeLimitTable. Leaves Quality as it is.
    bool SelectSizeLimit(int32_t row);
    // row 0 or 1 of SoundChoiceNames. Leaves Quality as it is.
    bool SelectSoundChoice(int32_t row);
    // The limit of the chosen SizeLimit row in bytes; 0 for none.
    int64_t SizeLimitBytes() const;
    // fit 0 to 2 (Stretch, Black bars, Crop). No quality value changes, and
    // no level changes it.
    bool SelectPictureFit(int32_t fit);
    // choice 0 (None) or 1 (Burn in). No quality value changes.
    bool SelectSubtitles(int32_t choice);

    // The level the window shows as chosen: Quality when it is 0 to 4, and
    // Medium for any other stored number (which Quality keeps, so that it is
    // saved back unchanged).
    int32_t ShownQualityLevel() const;
};

// The range a stored video bitrate (kbit/s) must lie in to be used. Values
// that are not in VideoBitrateList but inside this range are kept as they are.
inline constexpr int32_t MinVideoQuality = 1;
inline constexpr int32_t MaxVideoQuality = 100000;

// Settles a selection whose fields were just restored from stored values
// (the selection was default-constructed and the store then replaced each
// field for which it has a value):
//  - every restored number outside its range is replaced by the field's
//    initial value, before anything looks it up;
//  - VideoCodec and AudioFlag are copied from the restored model;
//  - the restored level is made the chosen one, starting from Medium shown:
//    a stored Low, Hight or Best applies its preset over the restored
//    values, Custom sets Quality to 4 and keeps them, Medium or a number
//    outside 0 to 4 changes nothing;
//  - Width and Height are set from the restored Resolution.
// Returns the stored value names ("Resolution", "FrameRate", ...) that were
// replaced, in field order, so the caller can tell the user.
std::vector<std::string_view> SettleRestoredSelection(ProfileSelection& selection);

// True when every row field lies inside its table and VideoQuality inside
// MinVideoQuality to MaxVideoQuality, i.e. the selection can be looked up.
bool HasValidRows(const ProfileSelection& selection);
