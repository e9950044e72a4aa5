// The operations that change a selection, with their guards.
#include <gtest/gtest.h>

#include "Formatparams.h"

namespace {

// A selection as the window has it after start-up with nothing stored.
ProfileSelection Settled() {
    ProfileSelection s;
    SettleRestoredSelection(s);
    return s;
}

struct QualityValues {
    int32_t VideoQuality, FrameRate, AudioChannels, AudioFrequency, AudioQuality, Quality;
    bool operator==(const QualityValues&) const = default;
};

QualityValues QualityOf(const ProfileSelection& s) {
    return {s.VideoQuality,   s.FrameRate,    s.AudioChannels,
            s.AudioFrequency, s.AudioQuality, s.Quality};
}

}  // namespace

TEST(Selection, InitialStateIsNokiaN93Medium) {
    const ProfileSelection s = Settled();
    EXPECT_EQ(s, ProfileSelection{});
    EXPECT_EQ(s.PhoneModel, 0);
    EXPECT_EQ(s.Width, 320);
    EXPECT_EQ(s.Height, 240);
    EXPECT_EQ(s.VideoCodec, VideoCodecMpeg4);
    EXPECT_EQ(s.Quality, QualityMedium);
    EXPECT_EQ(s.VideoQuality, 80);
    EXPECT_EQ(s.AudioQuality, 4);
}

TEST(Selection, ManufacturerSwitchPicksItsFirstModel) {
    struct Expected {
        int32_t id, model, resolution, codec, audioFlag;
    };
    const Expected expected[] = {
        {0, 0, 11, 1, 1}, {1, 17, 6, 1, 0}, {2, 40, 6, 0, 0}, {3, 71, 6, 0, 0}};
    for (const Expected& from : expected) {
        for (const Expected& to : expected) {
            if (from.id == to.id) continue;
            ProfileSelection s = Settled();
            s.SelectPhoneManufacturer(from.id);
            s.ApplyQualityLevel(QualityBest);
            const QualityValues quality = QualityOf(s);

            EXPECT_TRUE(s.SelectPhoneManufacturer(to.id));
            EXPECT_EQ(s.PhoneManufacturer, to.id);
            EXPECT_EQ(s.PhoneModel, to.model) << from.id << " -> " << to.id;
            EXPECT_EQ(s.Resolution, to.resolution);
            EXPECT_EQ(s.Width, ResolutionTable[to.resolution].Width);
            EXPECT_EQ(s.Height, ResolutionTable[to.resolution].Height);
            EXPECT_EQ(s.VideoCodec, to.codec);
            EXPECT_EQ(s.AudioFlag, to.audioFlag);
            EXPECT_EQ(QualityOf(s), quality) << "phone choices must not touch the quality";
        }
    }
    ProfileSelection s = Settled();
    s.SelectPhoneManufacturer(2);
    EXPECT_EQ(PhoneModelTable[s.PhoneModel].Name, "Samsung D500");
    EXPECT_EQ(s.VideoCodec, VideoCodecH263);
    EXPECT_EQ(s.Width, 176);
    s.SelectPhoneManufacturer(3);
    EXPECT_EQ(PhoneModelTable[s.PhoneModel].Name, "Sony Ericsson W550c/W600c/K700c");
    EXPECT_EQ(s.VideoCodec, VideoCodecH263);
}

TEST(Selection, ManufacturerGuard) {
    ProfileSelection s = Settled();
    s.SelectPhoneManufacturer(1);
    s.SelectPhoneModel(21);  // Motorola E1000, 640 x 480
    s.SelectResolution(3);
    const ProfileSelection before = s;

    EXPECT_TRUE(s.SelectPhoneManufacturer(1));  // the current one: nothing changes
    EXPECT_EQ(s, before);
    EXPECT_FALSE(s.SelectPhoneManufacturer(4));
    EXPECT_FALSE(s.SelectPhoneManufacturer(-1));
    EXPECT_EQ(s, before);
}

TEST(Selection, ModelChoiceResetsItsDefaultSize) {
    ProfileSelection s = Settled();
    EXPECT_TRUE(s.SelectResolution(14));
    EXPECT_EQ(s.Width, 640);
    EXPECT_EQ(s.Height, 480);
    EXPECT_EQ(s.PhoneModel, 0);

    EXPECT_TRUE(s.SelectPhoneModel(0));  // the same model again is not ignored
    EXPECT_EQ(s.Resolution, 11);
    EXPECT_EQ(s.Width, 320);
    EXPECT_EQ(s.Height, 240);

    // A model is not checked against the manufacturer; that stays as it was.
    EXPECT_TRUE(s.SelectPhoneModel(82));
    EXPECT_EQ(s.PhoneManufacturer, 0);
    EXPECT_EQ(s.Resolution, 2);
    EXPECT_EQ(s.AudioFlag, 0);

    const ProfileSelection before = s;
    EXPECT_FALSE(s.SelectPhoneModel(84));
    EXPECT_FALSE(s.SelectPhoneModel(-1));
    EXPECT_FALSE(s.SelectResolution(18));
    EXPECT_FALSE(s.SelectResolution(-1));
    EXPECT_EQ(s, before);
}

TEST(Selection, BothSamsungD800RowsBehaveAlike) {
    ProfileSelection a = Settled();
    ProfileSelection b = Settled();
    a.SelectPhoneManufacturer(2);
    b.SelectPhoneManufacturer(2);
    a.SelectPhoneModel(42);
    b.SelectPhoneModel(47);
    b.PhoneModel = 42;
    EXPECT_EQ(a, b);
}

TEST(Selection, CustomKeepsTheValuesOfTheLevelBefore) {
    ProfileSelection s = Settled();
    s.ApplyQualityLevel(QualityLow);
    EXPECT_EQ(QualityOf(s), (QualityValues{48, 0, 0, 0, 2, QualityLow}));

    s.ApplyQualityLevel(QualityCustom);
    EXPECT_EQ(QualityOf(s), (QualityValues{48, 0, 0, 0, 2, QualityCustom}));

    // Hand-tuned values survive until a preset level is chosen again.
    s.SelectFrameRate(3);
    s.SelectVideoQuality(13);
    s.SelectAudioQuality(0);
    EXPECT_EQ(QualityOf(s), (QualityValues{384, 3, 0, 0, 0, QualityCustom}));

    s.ApplyQualityLevel(QualityLow);
    EXPECT_EQ(QualityOf(s), (QualityValues{48, 0, 0, 0, 2, QualityLow}));
}

TEST(Selection, ChoosingTheShownLevelAgainRunsNothing) {
    ProfileSelection s = Settled();
    s.SelectVideoQuality(0);  // 32 kbit/s, level still Medium
    EXPECT_TRUE(s.ApplyQualityLevel(QualityMedium));
    EXPECT_EQ(s.VideoQuality, 32);

    s.ApplyQualityLevel(QualityLow);
    s.ApplyQualityLevel(QualityMedium);
    EXPECT_EQ(QualityOf(s), (QualityValues{80, 0, 0, 0, 4, QualityMedium}));

    s.ApplyQualityLevel(QualityHight);
    EXPECT_EQ(QualityOf(s), (QualityValues{160, 0, 0, 0, 6, QualityHight}));
    s.ApplyQualityLevel(QualityBest);
    EXPECT_EQ(QualityOf(s), (QualityValues{256, 2, 0, 0, 6, QualityBest}));

    const ProfileSelection before = s;
    EXPECT_FALSE(s.ApplyQualityLevel(5));
    EXPECT_FALSE(s.ApplyQualityLevel(-1));
    EXPECT_EQ(s, before);
}

TEST(Selection, UnknownStoredLevelShowsMediumAndKeepsItsNumber) {
    ProfileSelection s = Settled();
    s.Quality = 7;
    EXPECT_EQ(s.ShownQualityLevel(), QualityMedium);
    s.SelectVideoQuality(2);
    EXPECT_TRUE(s.ApplyQualityLevel(QualityMedium));  // Medium is shown already
    EXPECT_EQ(s.Quality, 7);
    EXPECT_EQ(s.VideoQuality, 56);
    s.ApplyQualityLevel(QualityBest);
    EXPECT_EQ(QualityOf(s), (QualityValues{256, 2, 0, 0, 6, QualityBest}));
}

TEST(Selection, QualityValueChoicesAndTheirRanges) {
    ProfileSelection s = Settled();
    EXPECT_TRUE(s.SelectVideoQuality(13));
    EXPECT_EQ(s.VideoQuality, 384);
    EXPECT_FALSE(s.SelectVideoQuality(14));
    EXPECT_FALSE(s.SelectVideoQuality(-1));
    EXPECT_EQ(s.VideoQuality, 384);

    EXPECT_TRUE(s.SelectAudioQuality(0));
    EXPECT_EQ(AudioBitrateList[s.AudioQuality], 12);
    EXPECT_FALSE(s.SelectAudioQuality(15));
    EXPECT_EQ(s.AudioQuality, 0);

    EXPECT_TRUE(s.SelectFrameRate(3));
    EXPECT_FALSE(s.SelectFrameRate(4));
    EXPECT_EQ(s.FrameRate, 3);

    EXPECT_EQ(s.Quality, QualityMedium) << "value choices leave the level to the window";
    EXPECT_EQ(s.PhoneModel, 0);
    EXPECT_EQ(s.Resolution, 11);
}
