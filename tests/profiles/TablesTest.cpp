// The tables against each other and the lookups built on them.
#include <gtest/gtest.h>

#include "Formatparams.h"

TEST(Tables, ResolutionAllowedPerCodec) {
    EXPECT_FALSE(IsResolutionAllowed(0, 11));
    for (int32_t row : {2, 6, 13, 15}) EXPECT_TRUE(IsResolutionAllowed(0, row)) << row;
    for (int32_t row = 0; row < 18; ++row) EXPECT_TRUE(IsResolutionAllowed(1, row)) << row;
    EXPECT_FALSE(IsResolutionAllowed(0, 18));
    EXPECT_FALSE(IsResolutionAllowed(1, 18));
    EXPECT_FALSE(IsResolutionAllowed(1, -1));
    EXPECT_FALSE(IsResolutionAllowed(2, 6));
    EXPECT_FALSE(IsResolutionAllowed(-1, 6));

    EXPECT_EQ(AllowedResolutions(0), (std::vector<int32_t>{2, 6, 13, 15}));
    EXPECT_EQ(AllowedResolutions(1).size(), 18u);
    EXPECT_TRUE(AllowedResolutions(2).empty());
    for (int32_t row : AllowedResolutions(0)) {
        EXPECT_TRUE(ResolutionText(row) == "128 X 96" || ResolutionText(row) == "176 X 144" ||
                    ResolutionText(row) == "352 X 288" || ResolutionText(row) == "704 X 576")
            << ResolutionText(row);
    }
}

TEST(Tables, PhoneModelsPerManufacturer) {
    EXPECT_EQ(PhoneModelTable.size(), 84u);
    const std::vector<int32_t> samsung = ModelsOfManufacturer(2);
    ASSERT_EQ(samsung.size(), 31u);
    EXPECT_EQ(samsung.front(), 40);
    EXPECT_EQ(samsung.back(), 70);
    EXPECT_EQ(ModelsOfManufacturer(0).size(), 17u);
    EXPECT_EQ(ModelsOfManufacturer(1).size(), 23u);
    EXPECT_EQ(ModelsOfManufacturer(3).size(), 13u);
    EXPECT_TRUE(ModelsOfManufacturer(4).empty());

    EXPECT_EQ(FirstModelOfManufacturer(0), 0);
    EXPECT_EQ(FirstModelOfManufacturer(1), 17);
    EXPECT_EQ(FirstModelOfManufacturer(2), 40);
    EXPECT_EQ(FirstModelOfManufacturer(3), 71);
    EXPECT_EQ(FirstModelOfManufacturer(4), std::nullopt);

    // Every model's default size is one its own codec accepts, so the
    // resolution menu always holds the model's default.
    for (const PhoneModelEntry& model : PhoneModelTable) {
        EXPECT_TRUE(IsResolutionAllowed(model.VideoCodec, model.Resolution)) << model.Name;
    }
}

TEST(Tables, SamsungD800IsListedTwiceAlike) {
    const PhoneModelEntry& a = PhoneModelTable[42];
    const PhoneModelEntry& b = PhoneModelTable[47];
    EXPECT_EQ(a.Name, "Samsung D800/D807/D808");
    EXPECT_EQ(b.Name, a.Name);
    EXPECT_EQ(std::tie(a.Manufacturer, a.Resolution, a.VideoCodec, a.AudioFlag),
              std::tie(b.Manufacturer, b.Resolution, b.VideoCodec, b.AudioFlag));
    EXPECT_EQ(PhoneModelText(42), "Samsung D800/D807/D808 (176 X 144 )");
    EXPECT_EQ(PhoneModelText(47), PhoneModelText(42));
    // A name search finds the first of the two.
    EXPECT_EQ(FindPhoneModelByName("samsung d800/d807/d808"), 42);
}

TEST(Tables, RowsThatSelectionTestsDependOn) {
    // Spot checks of rows whose values the rules and the menus rely on.
    EXPECT_EQ(PhoneModelTable[0].Name, "Nokia N93");
    EXPECT_EQ(PhoneModelTable[4].Name, "Nokia N72");
    EXPECT_EQ(PhoneModelTable[4].Resolution, 8);
    EXPECT_EQ(PhoneModelTable[4].AudioFlag, 0);
    EXPECT_EQ(PhoneModelTable[21].Name, "Motorola E1000");
    EXPECT_EQ(PhoneModelTable[21].Resolution, 14);
    EXPECT_EQ(PhoneModelTable[31].VideoCodec, 0);
    EXPECT_EQ(PhoneModelTable[31].AudioFlag, 1);
    EXPECT_EQ(PhoneModelTable[74].Name, "Sony Ericsson K750/K600/K608/K610");
    EXPECT_EQ(PhoneModelTable[83].Name, "Sony Ericsson Z1010");
    EXPECT_EQ(ResolutionTable[11].Width, 320);
    EXPECT_EQ(ResolutionTable[11].Height, 240);
    EXPECT_EQ(FrameRateTable[0].Name, "14.985 fps");
    EXPECT_EQ(FrameRateTable[3].Name, "29.97 fps");
    EXPECT_EQ(ChannelTable[1].Name, "Stereo");
    EXPECT_EQ(ChannelTable[1].Id, 2);
    EXPECT_EQ(AudioBitrateList[0], 12);
    EXPECT_EQ(SampleRateList[1], 11025);
    EXPECT_EQ(ManufacturerTable[3].Name, "Sony Ericsson");
}

TEST(Tables, NameLookups) {
    EXPECT_EQ(FindPhoneModelByName("Nokia N93"), 0);
    EXPECT_EQ(FindPhoneModelByName("NOKIA n93"), 0);
    EXPECT_EQ(FindPhoneModelByName("Sony Ericsson Z1010"), 83);
    EXPECT_EQ(FindPhoneModelByName("Samsung SPH-m500"), 70);
    EXPECT_EQ(FindPhoneModelByName("Nokia N9"), std::nullopt);    // no prefix match
    EXPECT_EQ(FindPhoneModelByName("Nokia N93 "), std::nullopt);  // no trimming
    EXPECT_EQ(FindPhoneModelByName(""), std::nullopt);

    EXPECT_EQ(FindManufacturerByName("sony ericsson"), 3);
    EXPECT_EQ(FindManufacturerByName("Apple"), std::nullopt);

    EXPECT_EQ(FindQualityLevelByName("hight"), QualityHight);
    EXPECT_EQ(FindQualityLevelByName("Custom"), QualityCustom);
    EXPECT_EQ(FindQualityLevelByName("High"), std::nullopt);

    EXPECT_EQ(FindResolution(640, 480), 14);
    EXPECT_EQ(FindResolution(176, 144), 6);
    EXPECT_EQ(FindResolution(176, 145), std::nullopt);
}

TEST(Tables, DisplayTexts) {
    EXPECT_EQ(PhoneModelText(0), "Nokia N93 (320 X 240 )");
    EXPECT_EQ(ResolutionText(14), "640 X 480");
    EXPECT_EQ(SizeText(720, 576), "720 X 576");
    EXPECT_EQ(BitrateText(256), "256 kbps");
    EXPECT_EQ(BitrateText(100), "100 kbps");
}
