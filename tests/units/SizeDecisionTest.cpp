// The size limit's decision after each pass, from the pass's numbers alone.
#include <gtest/gtest.h>

#include "SizeDecision.h"

using namespace transcode;

namespace {

constexpr int64_t kLimit = 300 * 1024;
constexpr int32_t kLevelRate = 122000;  // the chosen quality level's video bitrate

TSizeLimitRun LimitRun(int32_t rate, bool kept = false) {
    TSizeLimitRun run;
    run.Limit = kLimit;
    run.HasVideo = true;
    run.HasKept = kept;
    run.VideoBitRate = rate;
    run.HighestVideoBitRate = kLevelRate;
    return run;
}

TSizePass Pass(int number, double share, bool stopped = false) {
    TSizePass pass;
    pass.Size = static_cast<int64_t>(share * kLimit);
    pass.VideoBytes = pass.Size - 40000;  // sound and container
    pass.Quantiser = 6;
    pass.Number = number;
    pass.Stopped = stopped;
    return pass;
}

}  // namespace

TEST(SizeDecision, OvershootThenRetryLowerThenCommit) {
    const TSizeDecision first = DecideAfterPass(LimitRun(60000), Pass(1, 1.10));
    ASSERT_EQ(first.Verdict, TSizeVerdict::Retry);
    EXPECT_FALSE(first.KeepThis);
    EXPECT_LT(first.NextVideoBitRate, 60000);
    EXPECT_GT(first.NextVideoBitRate, 40000);
    EXPECT_EQ(DecideAfterPass(LimitRun(first.NextVideoBitRate), Pass(2, 0.93)).Verdict,
              TSizeVerdict::Commit);
    // Too large at the last pass, nothing kept: it cannot fit.
    EXPECT_EQ(DecideAfterPass(LimitRun(20000), Pass(kMaxSizePasses, 1.02)).Verdict,
              TSizeVerdict::Fail);
}

TEST(SizeDecision, UndershootKeptThenOvershootCommitsTheKeptPass) {
    const TSizeDecision first = DecideAfterPass(LimitRun(60000), Pass(1, 0.60));
    ASSERT_EQ(first.Verdict, TSizeVerdict::Retry);
    EXPECT_TRUE(first.KeepThis);
    EXPECT_GT(first.NextVideoBitRate, 60000);
    EXPECT_LE(first.NextVideoBitRate, kLevelRate);
    EXPECT_EQ(DecideAfterPass(LimitRun(first.NextVideoBitRate, true), Pass(2, 1.05)).Verdict,
              TSizeVerdict::CommitKept);
    // Within the limit and at least 85 % of it: kept with no further pass,
    // whatever was kept before.
    EXPECT_EQ(DecideAfterPass(LimitRun(first.NextVideoBitRate, true), Pass(2, 0.86)).Verdict,
              TSizeVerdict::Commit);
    EXPECT_EQ(DecideAfterPass(LimitRun(60000), Pass(1, 0.99)).Verdict, TSizeVerdict::Commit);
}

TEST(SizeDecision, StopDuringTheSecondPass) {
    // Within the limit: the stopped file is the output.
    EXPECT_EQ(DecideAfterPass(LimitRun(50000), Pass(2, 0.40, true)).Verdict, TSizeVerdict::Commit);
    // Above it: an earlier pass within the limit stands, or there is none.
    EXPECT_EQ(DecideAfterPass(LimitRun(90000, true), Pass(2, 1.3, true)).Verdict,
              TSizeVerdict::CommitKept);
    EXPECT_EQ(DecideAfterPass(LimitRun(50000), Pass(2, 1.3, true)).Verdict, TSizeVerdict::Drop);
}

TEST(SizeDecision, ALimitOnlyEverLowersTheRate) {
    // The level's own rate fits: however small, the file is kept as it is.
    EXPECT_EQ(DecideAfterPass(LimitRun(kLevelRate), Pass(1, 0.10)).Verdict, TSizeVerdict::Commit);
    // A correction upwards stops at the level's rate.
    const TSizeDecision raised = DecideAfterPass(LimitRun(100000), Pass(1, 0.30));
    ASSERT_EQ(raised.Verdict, TSizeVerdict::Retry);
    EXPECT_EQ(raised.NextVideoBitRate, kLevelRate);
    // At the finest quantiser more bits buy nothing; without pictures there is
    // nothing to correct; no limit or an unknown size always commits.
    TSizePass finest = Pass(1, 0.3);
    finest.Quantiser = 2;
    EXPECT_EQ(DecideAfterPass(LimitRun(60000), finest).Verdict, TSizeVerdict::Commit);
    TSizeLimitRun sound = LimitRun(60000);
    sound.HasVideo = false;
    EXPECT_EQ(DecideAfterPass(sound, Pass(1, 0.3)).Verdict, TSizeVerdict::Commit);
    EXPECT_EQ(DecideAfterPass(sound, Pass(1, 1.2)).Verdict, TSizeVerdict::Fail);
    TSizeLimitRun none = LimitRun(60000);
    none.Limit = 0;
    EXPECT_EQ(DecideAfterPass(none, Pass(1, 5)).Verdict, TSizeVerdict::Commit);
    TSizePass unknown = Pass(1, 5);
    unknown.Size = -1;
    EXPECT_EQ(DecideAfterPass(LimitRun(60000), unknown).Verdict, TSizeVerdict::Commit);
}
