// The arithmetic that fits a clip into a size limit.
#include <gtest/gtest.h>

#include "SizeLimit.h"

TEST(SizeLimit, ShortClipKeepsFullSoundAndFillsTheLimit) {
    const int64_t limit = SizeLimitTable[1].Bytes;  // 300 KB (MMS)
    const SizePlan plan = PlanForSize(limit, 30.0, 14.985, true, true);
    ASSERT_TRUE(plan.Fits);
    EXPECT_EQ(plan.AudioBitRate, 12200);
    // Pictures, sound and the container add up to the limit, not beyond it.
    const int64_t sound = 30 * AmrFramesPerSecond * AmrModes.front().FrameBytes;
    const int64_t total =
        int64_t{plan.VideoBitRate} * 30 / 8 + sound + ContainerOverhead(30.0, 14.985, true, true);
    EXPECT_LE(total, limit);
    EXPECT_GE(total, limit - 16);
    EXPECT_GT(plan.VideoBitRate, 60000);
}

TEST(SizeLimit, SoundStepsDownBeforeTheClipIsGivenUp) {
    const int64_t limit = SizeLimitTable[1].Bytes;
    // 55 s: 12.2 kbit/s sound would leave less than 32 kbit/s for the pictures.
    const SizePlan plan = PlanForSize(limit, 55.0, 14.985, true, true);
    ASSERT_TRUE(plan.Fits);
    EXPECT_LT(plan.AudioBitRate, 12200);
    EXPECT_GE(plan.VideoBitRate, LowestLimitedVideoBitRate);

    // Ten minutes cannot fit; the longest that can is about a minute.
    const SizePlan tooLong = PlanForSize(limit, 600.0, 14.985, true, true);
    EXPECT_FALSE(tooLong.Fits);
    EXPECT_GT(tooLong.FittingSeconds, 40);
    EXPECT_LT(tooLong.FittingSeconds, 70);
    // That length does fit, one more minute does not.
    EXPECT_TRUE(
        PlanForSize(limit, static_cast<double>(tooLong.FittingSeconds), 14.985, true, true).Fits);
    EXPECT_FALSE(PlanForSize(limit, tooLong.FittingSeconds + 60.0, 14.985, true, true).Fits);
    EXPECT_EQ(DoesNotFitMessage(limit, 62), "The clip does not fit in 300 KB: at most 00:01:02");
    EXPECT_EQ(DoesNotFitMessage(10 * 1024 * 1024, 3725),
              "The clip does not fit in 10 MB: at most 01:02:05");
}

TEST(SizeLimit, SizesAsTyped) {
    EXPECT_EQ(ParseSizeText("300K"), 307200);
    EXPECT_EQ(ParseSizeText("300kb"), 307200);
    EXPECT_EQ(ParseSizeText("1M"), 1048576);
    EXPECT_EQ(ParseSizeText("1.5M"), 1572864);
    EXPECT_EQ(ParseSizeText("500000"), 500000);
    EXPECT_EQ(ParseSizeText(" 3 M "), 3145728);
    for (const char* bad : {"", "K", "-3K", "3G", "abc", "0", "1e9", "3KK"}) {
        EXPECT_FALSE(ParseSizeText(bad).has_value()) << bad;
    }
    EXPECT_EQ(SizeLimitText(500000), "500000 bytes");
    EXPECT_EQ(SizeLimitText(600 * 1024), "600 KB");
}
