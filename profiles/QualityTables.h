// Frame rates, bitrates, channel layouts, sample rates and the quality levels.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// A named row; what Id means depends on the table.
struct NamedEntry {
    std::string_view Name;
    int32_t Id;
};

// A frame rate: its name, the choice handed to the worker (Id), and the
// rate itself as the fraction Numerator / Denominator frames per second.
struct FrameRateEntry {
    std::string_view Name;
    int32_t Id;
    int32_t Numerator;
    int32_t Denominator;
};

inline constexpr std::array<FrameRateEntry, 4> FrameRateTable{{
    {"14.985 fps", 0, 14985, 1000},
    {"23.975 fps", 1, 23975, 1000},
    {"25 fps", 2, 25, 1},
    {"29.97 fps", 3, 2997, 100},
}};

// The row whose Id is frameRateId; none for an Id that no row has.
constexpr const FrameRateEntry* FindFrameRate(int32_t frameRateId) {
    for (const FrameRateEntry& entry : FrameRateTable) {
        if (entry.Id == frameRateId) return &entry;
    }
    return nullptr;
}

// Video bitrates offered in the Quality Settings dialog, in kbit/s.
inline constexpr std::array<int32_t, 14> VideoBitrateList{32,  48,  56,  64,  80,  96,  112,
                                                          128, 160, 192, 224, 256, 320, 384};

// Id is the channel count handed to the worker.
inline constexpr std::array<NamedEntry, 2> ChannelTable{{
    {"Mono", 1},
    {"Stereo", 2},
}};

// Audio sample rates in Hz.
inline constexpr std::array<int32_t, 2> SampleRateList{8000, 11025};

// Audio bitrates in kbit/s. Row 0 (12 kbit/s) lies below the smallest video
// bitrate; rows 1 to 14 repeat VideoBitrateList.
inline constexpr std::array<int32_t, 15> AudioBitrateList{12,  32,  48,  56,  64,  80,  96, 112,
                                                          128, 160, 192, 224, 256, 320, 384};

// Quality levels as ProfileSelection::Quality holds them.
inline constexpr int32_t QualityLow = 0;
inline constexpr int32_t QualityMedium = 1;
inline constexpr int32_t QualityHight = 2;
inline constexpr int32_t QualityBest = 3;
inline constexpr int32_t QualityCustom = 4;

// The captions of the five levels, indexed by level.
inline constexpr std::array<std::string_view, 5> QualityLevelNames{"Low", "Medium", "Hight", "Best",
                                                                   "Custom"};

// The values a level sets. Custom has no row: it keeps whatever values the
// selection holds.
struct QualityPreset {
    int32_t Quality;
    int32_t VideoQuality;    // kbit/s
    int32_t FrameRate;       // row of FrameRateTable
    int32_t AudioChannels;   // row of ChannelTable
    int32_t AudioFrequency;  // row of SampleRateList
    int32_t AudioQuality;    // row of AudioBitrateList
};

// Indexed by level (Low, Medium, Hight, Best).
inline constexpr std::array<QualityPreset, 4> QualityPresetTable{{
    {QualityLow, 48, 0, 0, 0, 2},
    {QualityMedium, 80, 0, 0, 0, 4},
    {QualityHight, 160, 0, 0, 0, 6},
    {QualityBest, 256, 2, 0, 0, 6},
}};

static_assert(
    [] {
        for (std::size_t i = 0; i < FrameRateTable.size(); ++i) {
            if (FrameRateTable[i].Id != static_cast<int32_t>(i)) return false;
            if (FrameRateTable[i].Numerator <= 0 || FrameRateTable[i].Denominator <= 0)
                return false;
        }
        for (std::size_t i = 0; i < QualityPresetTable.size(); ++i) {
            const QualityPreset& p = QualityPresetTable[i];
            if (p.Quality != static_cast<int32_t>(i)) return false;
            if (p.FrameRate < 0 || p.FrameRate >= static_cast<int32_t>(FrameRateTable.size()))
                return false;
            if (p.AudioChannels < 0 || p.AudioChannels >= static_cast<int32_t>(ChannelTable.size()))
                return false;
            if (p.AudioFrequency < 0 ||
                p.AudioFrequency >= static_cast<int32_t>(SampleRateList.size()))
                return false;
            if (p.AudioQuality < 0 ||
                p.AudioQuality >= static_cast<int32_t>(AudioBitrateList.size()))
                return false;
        }
        for (std::size_t i = 0; i < VideoBitrateList.size(); ++i) {
            if (AudioBitrateList[i + 1] != VideoBitrateList[i]) return false;
        }
        return true;
    }(),
    "frame-rate, bitrate or preset tables are inconsistent");
