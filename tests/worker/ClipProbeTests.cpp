// The clip probe over real files.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ClipProbe.h"
#include "Dynamicavimport.h"
#include "TestMedia.h"

namespace {

class ClipProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AV.Problems().empty());
        AV.av_log_set_level(AV_LOG_QUIET);
    }
    QTemporaryDir Dir;
};

TEST_F(ClipProbeTest, ReadsSizeDurationAndPicture) {
    const QString path = Dir.filePath("clip one.mp4");
    ASSERT_TRUE(testmedia::MakeClip(path, 2.6, "208x176", 15, "mpeg4", "aac"));
    const auto item = ProbeClip(path);
    EXPECT_EQ(item->SourcePath, path);
    EXPECT_EQ(item->DisplayName, "clip one.mp4");
    EXPECT_EQ(item->SourceWidth, 208);
    EXPECT_EQ(item->SourceHeight, 176);
    EXPECT_EQ(item->SourceDuration.count(), 2);  // whole seconds, truncated
    EXPECT_DOUBLE_EQ(item->SizeMb, static_cast<double>(QFileInfo(path).size()) / 1048576.0);
}

TEST_F(ClipProbeTest, SoundOnlyFileHasNoPicture) {
    const QString path = Dir.filePath("tone.wav");
    ASSERT_TRUE(testmedia::MakeClip(path, 1.5, "", 0, "", "pcm_s16le"));
    const auto item = ProbeClip(path);
    EXPECT_EQ(item->SourceWidth, 0);
    EXPECT_EQ(item->SourceHeight, 0);
    EXPECT_EQ(item->SourceDuration.count(), 1);
    EXPECT_GT(item->SizeMb, 0);
}

TEST_F(ClipProbeTest, UnreadableFilesStillGiveAnItem) {
    const auto missing = ProbeClip(Dir.filePath("nothing here.avi"));
    EXPECT_EQ(missing->DisplayName, "nothing here.avi");
    EXPECT_EQ(missing->SizeMb, 0);
    EXPECT_EQ(missing->SourceDuration.count(), 0);
    EXPECT_EQ(missing->SourceWidth, 0);

    QFile text(Dir.filePath("notes.avi"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4000, 'x'));
    text.close();
    const auto garbage = ProbeClip(text.fileName());
    EXPECT_EQ(garbage->SourceDuration.count(), 0);
    EXPECT_EQ(garbage->SourceWidth, 0);
}

}  // namespace
