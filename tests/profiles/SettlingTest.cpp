// Settling a selection restored from stored values.
#include <gtest/gtest.h>

#include <limits>

#include "Formatparams.h"

TEST(Settling, StoredPresetLevelWinsOverStoredValues) {
    ProfileSelection s;
    s.Quality = QualityLow;
    s.FrameRate = 3;
    s.VideoQuality = 384;
    s.AudioQuality = 14;
    EXPECT_TRUE(SettleRestoredSelection(s).empty());
    EXPECT_EQ(s.FrameRate, 0);
    EXPECT_EQ(s.VideoQuality, 48);
    EXPECT_EQ(s.AudioQuality, 2);
    EXPECT_EQ(s.Quality, QualityLow);

    for (int32_t level : {QualityHight, QualityBest}) {
        ProfileSelection t;
        t.Quality = level;
        t.FrameRate = 3;
        t.AudioChannels = 1;
        t.AudioFrequency = 1;
        SettleRestoredSelection(t);
        EXPECT_EQ(t.FrameRate, level == QualityBest ? 2 : 0);
        EXPECT_EQ(t.AudioChannels, 0);
        EXPECT_EQ(t.AudioFrequency, 0);
        EXPECT_EQ(t.AudioQuality, 6);
    }
}

TEST(Settling, StoredMediumOrCustomKeepsStoredValues) {
    for (int32_t level : {QualityMedium, QualityCustom}) {
        ProfileSelection s;
        s.Quality = level;
        s.FrameRate = 3;
        s.VideoQuality = 100;  // not in the bitrate list, still a usable rate
        s.AudioChannels = 1;
        s.AudioFrequency = 1;
        s.AudioQuality = 0;
        EXPECT_TRUE(SettleRestoredSelection(s).empty());
        EXPECT_EQ(s.FrameRate, 3);
        EXPECT_EQ(s.VideoQuality, 100);
        EXPECT_EQ(s.AudioChannels, 1);
        EXPECT_EQ(s.AudioFrequency, 1);
        EXPECT_EQ(s.AudioQuality, 0);
        EXPECT_EQ(s.Quality, level);
        EXPECT_EQ(BitrateText(s.VideoQuality), "100 kbps");
    }
}

TEST(Settling, UnknownStoredLevelIsKeptAndShowsMedium) {
    for (int32_t level : {5, -1, std::numeric_limits<int32_t>::max()}) {
        ProfileSelection s;
        s.Quality = level;
        s.FrameRate = 3;
        EXPECT_TRUE(SettleRestoredSelection(s).empty());
        EXPECT_EQ(s.Quality, level) << "saved back unchanged";
        EXPECT_EQ(s.ShownQualityLevel(), QualityMedium);
        EXPECT_EQ(s.FrameRate, 3);
    }
}

TEST(Settling, ModelFlagsAndSizeFollowTheStoredRows) {
    // A stored model without a stored resolution keeps the initial
    // resolution 11, not the model's own default.
    ProfileSelection s;
    s.PhoneManufacturer = 3;
    s.PhoneModel = 82;
    SettleRestoredSelection(s);
    EXPECT_EQ(s.VideoCodec, VideoCodecMpeg4);
    EXPECT_EQ(s.AudioFlag, 0);
    EXPECT_EQ(s.Resolution, 11);
    EXPECT_EQ(s.Width, 320);
    EXPECT_EQ(s.Height, 240);

    ProfileSelection h;
    h.PhoneModel = 9;  // Nokia 6230, H.263
    h.Resolution = 15;
    SettleRestoredSelection(h);
    EXPECT_EQ(h.VideoCodec, VideoCodecH263);
    EXPECT_EQ(h.AudioFlag, 0);
    EXPECT_EQ(h.Width, 704);
    EXPECT_EQ(h.Height, 576);

    // The stored model is not checked against the stored manufacturer.
    ProfileSelection m;
    m.PhoneManufacturer = 0;
    m.PhoneModel = 50;
    SettleRestoredSelection(m);
    EXPECT_EQ(m.PhoneManufacturer, 0);
    EXPECT_EQ(m.PhoneModel, 50);
}

TEST(Settling, OutOfRangeStoredNumbersFallBackToInitialValues) {
    struct Field {
        std::string_view name;
        int32_t ProfileSelection::*member;
        int32_t lastValid;
    };
    const Field fields[] = {
        {"Resolution", &ProfileSelection::Resolution, 17},
        {"FrameRate", &ProfileSelection::FrameRate, 3},
        {"VideoQuality", &ProfileSelection::VideoQuality, MaxVideoQuality},
        {"AudioChannels", &ProfileSelection::AudioChannels, 1},
        {"AudioFrequency", &ProfileSelection::AudioFrequency, 1},
        {"AudioQuality", &ProfileSelection::AudioQuality, 14},
        {"PhoneModel", &ProfileSelection::PhoneModel, 83},
        {"PhoneManufacturer", &ProfileSelection::PhoneManufacturer, 3},
        {"SizeLimit", &ProfileSelection::SizeLimit, 5},
        {"EvenLoudness", &ProfileSelection::EvenLoudness, 1},
    };
    const ProfileSelection initial;
    for (const Field& f : fields) {
        const int32_t firstValid = f.name == "VideoQuality" ? MinVideoQuality : 0;
        for (int32_t bad : {firstValid - 1, f.lastValid + 1, std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max()}) {
            ProfileSelection s;
            s.Quality = QualityCustom;  // keeps restored values, so the fallback shows
            s.*f.member = bad;
            const std::vector<std::string_view> replaced = SettleRestoredSelection(s);
            EXPECT_EQ(replaced, std::vector<std::string_view>{f.name}) << f.name << " " << bad;
            EXPECT_EQ(s.*f.member, initial.*f.member) << f.name << " " << bad;
            EXPECT_TRUE(HasValidRows(s));
        }
        for (int32_t good : {firstValid, f.lastValid}) {
            ProfileSelection s;
            s.Quality = QualityCustom;
            s.*f.member = good;
            EXPECT_TRUE(SettleRestoredSelection(s).empty()) << f.name << " " << good;
            EXPECT_EQ(s.*f.member, good);
        }
    }

    // Everything wrong at once: the result is the initial selection, with
    // the derived fields computed from it.
    ProfileSelection s;
    for (const Field& f : fields) s.*f.member = -7;
    s.Width = -1;
    s.Height = -1;
    s.VideoCodec = 9;
    s.AudioFlag = 9;
    EXPECT_EQ(SettleRestoredSelection(s).size(), std::size(fields));
    EXPECT_EQ(s, initial);
}
