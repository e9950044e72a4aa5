// Output names, the total percentage, the time left and the shown times.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "OutputNames.h"
#include "Progress.h"
#include "TimeFormat.h"

namespace {

ClipList ClipsOfSeconds(std::initializer_list<int> seconds) {
    ClipList clips;
    for (const int s : seconds) {
        auto clip = std::make_unique<SourceClipItem>();
        clip->SourceDuration = std::chrono::seconds(s);
        clips.push_back(std::move(clip));
    }
    return clips;
}

const QString Sep = QDir::separator();

}  // namespace

TEST(OutputNames, FolderSeparatorAndExtension) {
    const QString folder = Sep + "out";
    const QString source = Sep + "clips" + Sep + "holiday.avi";
    EXPECT_EQ(BuildOutputPath(folder, source), folder + Sep + "holiday.3gp");
    // A folder that already ends in a separator gets no second one; two stay two.
    EXPECT_EQ(BuildOutputPath(folder + Sep, source), folder + Sep + "holiday.3gp");
    EXPECT_EQ(BuildOutputPath(folder + Sep + Sep, source), folder + Sep + Sep + "holiday.3gp");
    // Only the last dot starts the extension.
    EXPECT_EQ(BuildOutputPath(folder, Sep + "a.b.mpg"), folder + Sep + "a.b.3gp");
    // A path without a separator is the file name itself.
    EXPECT_EQ(BuildOutputPath(folder, "clip.wmv"), folder + Sep + "clip.3gp");
    // A name without a dot still becomes a .3gp file.
    EXPECT_EQ(BuildOutputPath(folder, Sep + "src" + Sep + "movie"), folder + Sep + "movie.3gp");
    // A dot in a folder name is no extension.
    EXPECT_EQ(BuildOutputPath(folder, Sep + "v1.0" + Sep + "movie"), folder + Sep + "movie.3gp");
    EXPECT_EQ(FileNameOfPath(Sep + "a" + Sep + "b.mpg"), "b.mpg");
}

TEST(TotalProgress, WeightedByClipSeconds) {
    const ClipList clips = ClipsOfSeconds({60, 30});
    EXPECT_EQ(ComputeTotalPercent(clips, 0, 0), 0);
    EXPECT_EQ(ComputeTotalPercent(clips, 0, 50), 33);  // (0 + 30) x 100 / 90
    EXPECT_EQ(ComputeTotalPercent(clips, 1, 0), 66);
    EXPECT_EQ(ComputeTotalPercent(clips, 1, 100), 100);
}

TEST(TotalProgress, ShortClipsMoveByThePercent) {
    // One 3 s clip: the total follows the clip, not whole seconds (0 % until
    // a third was done, then steps of a third).
    const ClipList one = ClipsOfSeconds({3});
    for (const int percent : {0, 11, 33, 34, 50, 67, 99, 100})
        EXPECT_EQ(ComputeTotalPercent(one, 0, percent), percent) << percent;
    // Exact lengths weigh as they are: 1.5 s then 0.5 s, half of the first
    // clip is three eighths of the run; a trimmed clip weighs its part.
    ClipList clips = ClipsOfSeconds({1, 0});
    clips[0]->LengthSeconds = 1.5;
    clips[1]->LengthSeconds = 0.5;
    EXPECT_EQ(ComputeTotalPercent(clips, 0, 50), 37);
    EXPECT_EQ(ComputeTotalPercent(clips, 1, 0), 75);
    clips[0]->TrimStart = 1.0;  // 0.5 s of it is converted
    EXPECT_EQ(ComputeTotalPercent(clips, 1, 0), 50);
}

TEST(TotalProgress, ClipsWithoutSecondsWeighTheSame) {
    const ClipList clips = ClipsOfSeconds({0, 0, 0});
    EXPECT_EQ(ComputeTotalPercent(clips, 0, 0), 0);
    EXPECT_EQ(ComputeTotalPercent(clips, 1, 50), 50);  // (100 + 50) / 3
    EXPECT_EQ(ComputeTotalPercent(clips, 2, 100), 100);
    EXPECT_EQ(ComputeTotalPercent(ClipList{}, 0, 0), 0);
}

TEST(TimeLeft, NeverNegativeAndZeroWhileNothingIsDone) {
    EXPECT_EQ(EstimateTimeLeft(40, 0), 0);
    EXPECT_EQ(EstimateTimeLeft(30, 25), 90);  // expected 120
    EXPECT_EQ(EstimateTimeLeft(10, 100), 0);  // elapsed at the estimate
    EXPECT_EQ(EstimateTimeLeft(10, 150), 0);  // elapsed above it (a clip past 100 %)
    EXPECT_EQ(EstimateTimeLeft(0, 5), 0);
}

TEST(TimeFormat, ClockTimesAndTotalHours) {
    // Day-long times show their total hours.
    EXPECT_EQ(FormatTimeOfDay(27 * 3600 + 3 * 60 + 10), "27:03:10");
    EXPECT_EQ(FormatTimeOfDay(24 * 3600), "24:00:00");
    // Below a day, the locale's clock format without a time zone.
    const QString shown = FormatTimeOfDay(3725);
    EXPECT_TRUE(shown.contains(QRegularExpression("^\\D*0?1\\D02\\D05(\\D*)$")))
        << shown.toStdString();
    EXPECT_FALSE(shown.contains("UTC")) << shown.toStdString();
    EXPECT_TRUE(FormatTimeOfDay(0).contains(QRegularExpression("0?0\\D00\\D00")))
        << FormatTimeOfDay(0).toStdString();
    EXPECT_EQ(FormatTimeOfDay(-5), FormatTimeOfDay(0));
}

// A locale with a 12-hour clock (the usual one of Windows in English) keeps
// its separators and digits, but a duration gets no AM or PM: two seconds
// are not "12:00:02 AM", thirteen hours not "1:00:05 PM".
TEST(TimeFormat, DurationsNeverReadAsAClockTime) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(FormatTimeOfDay(2, english), "0:00:02");
    EXPECT_EQ(FormatTimeOfDay(13 * 3600 + 5, english), "13:00:05");
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);  // "AP h시 m분 s초"
    EXPECT_EQ(FormatTimeOfDay(13 * 3600 + 2 * 60 + 5, korean), QString::fromUtf8("13시 2분 5초"));
    EXPECT_EQ(FormatTimeOfDay(3725, QLocale(QLocale::German, QLocale::Germany)), "01:02:05");
}
