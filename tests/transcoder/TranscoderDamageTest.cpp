// Damaged and unusual sources: nothing decodable fails, isolated damage is
// passed over, time stamps that jump are followed, and a stop or the progress
// never waits for sound that runs on behind the last picture.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "ClipProbe.h"
#include "DamagedClips.h"
#include "Dynamicavimport.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

class TranscoderDamageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AV.Problems().empty());
        AV.av_log_set_level(AV_LOG_QUIET);
    }
    static QString Sources() {
        const QString folder = WorkFolder() + "/damaged-sources";
        QDir().mkpath(folder);
        return folder;
    }
};

class DamageObserver : public RecordingObserver {
public:
    void DamagePassedOver(double secondsIntoClip) override { DamageAt.push_back(secondsIntoClip); }
    std::vector<double> DamageAt;
};

double StreamDuration(const QJsonObject& probe, int index) {
    return StreamOf(probe, index)["duration"].toString().toDouble();
}

}  // namespace

// A broken download (the index and no media data) and a Matroska file with no
// frames: no picture decodes, so there is no conversion and no file at all.
TEST_F(TranscoderDamageTest, NothingDecodableFailsWithoutOutput) {
    const QString headerOnly = test_support::MakeHeaderOnlyMp4(Sources());
    const QString frameless = test_support::MakeFramelessMkv(Sources());
    ASSERT_FALSE(headerOnly.isEmpty());
    ASSERT_FALSE(frameless.isEmpty());
    for (const QString& source : {headerOnly, frameless}) {
        const QString folder = NewFolder("nothing-" + QFileInfo(source).suffix());
        EXPECT_EQ(Convert(source, folder + "/out.3gp", H263Qcif())
                      .value_or("")
                      .rfind("The source file has neither pictures nor sound\n", 0),
                  0u)
            << source.toStdString();
        EXPECT_TRUE(FilesIn(folder).isEmpty());
    }
}

// Damaged sound frames in the middle are passed over: the clip converts to its
// end, the observer hears of it, and the output decodes cleanly. Damage that
// never ends (every frame from second 1 on, for longer than the decoder is
// given) fails the file and says from where.
TEST_F(TranscoderDamageTest, IsolatedDamageIsPassedOverEndlessDamageFails) {
    const QString scratched =
        test_support::MakeDamagedSoundClip(Sources(), "scratched.mp4", 4, 2.0, 2.1);
    ASSERT_FALSE(scratched.isEmpty());
    const QString folder = NewFolder("scratched");
    DamageObserver observer;
    EXPECT_EQ(Convert(scratched, folder + "/out.3gp", H263Qcif(), &observer), std::nullopt);
    ASSERT_EQ(observer.DamageAt.size(), 1u);
    EXPECT_NEAR(observer.DamageAt[0], 2.0, 0.5);
    const QJsonObject probe = Probe(folder + "/out.3gp");
    EXPECT_NEAR(StreamDuration(probe, 0), 4.0, 0.2);
    EXPECT_NEAR(StreamDuration(probe, 1), 4.0, 0.2);
    EXPECT_EQ(DecodeErrors(folder + "/out.3gp"), "");

    const QString ruined =
        test_support::MakeDamagedSoundClip(Sources(), "ruined.mp4", 14, 1.0, 100.0);
    ASSERT_FALSE(ruined.isEmpty());
    const QString lost = NewFolder("ruined");
    EXPECT_EQ(Convert(ruined, lost + "/out.3gp", H263Qcif()),
              "Error while decoding frame \nNo sound could be decoded from 0:00:01 on: " +
                  ruined.toStdString() + "\n");
    EXPECT_TRUE(FilesIn(lost).isEmpty());
}

// Two 5-second recordings joined: the second starts its clock again, or goes
// on an hour later. Either way pictures and sound both last 10 seconds, and
// the clip list shows the content's 10 seconds, not the container's figure.
TEST_F(TranscoderDamageTest, TimeStampJumpsAreFollowed) {
    for (const int jump : {-5, 3600}) {
        const QString name = QStringLiteral("joined%1.ts").arg(jump);
        const QString source = test_support::MakeJoinedTransportStream(Sources(), name, 5, jump);
        ASSERT_FALSE(source.isEmpty());
        const QString folder = NewFolder("joined" + QString::number(jump));
        RecordingObserver observer;
        EXPECT_EQ(Convert(source, folder + "/out.3gp", H263Qcif(), &observer), std::nullopt);
        const QJsonObject probe = Probe(folder + "/out.3gp");
        EXPECT_NEAR(StreamDuration(probe, 0), 10.0, 0.3) << name.toStdString();
        EXPECT_NEAR(StreamDuration(probe, 1), 10.0, 0.3) << name.toStdString();
        ASSERT_FALSE(observer.Percents.empty());
        EXPECT_GT(observer.Percents.size(), 5u) << "progress by bytes, step by step";
        EXPECT_EQ(ProbeClip(source)->SourceDuration.count(), 10) << name.toStdString();
    }
}

// One picture under a minute of sound: the progress moves with the sound, and
// a stop at 20 % ends the file there instead of after all the sound.
TEST_F(TranscoderDamageTest, LongSoundAfterTheLastPictureStopsAndProgresses) {
    const QString source = test_support::MakeStillWithLongSound(Sources(), 60);
    ASSERT_FALSE(source.isEmpty());
    const QString folder = NewFolder("still");
    RecordingObserver whole;
    EXPECT_EQ(Convert(source, folder + "/whole.3gp", H263Qcif(), &whole), std::nullopt);
    ASSERT_FALSE(whole.Percents.empty());
    int largestStep = whole.Percents.front();
    for (std::size_t i = 1; i < whole.Percents.size(); ++i) {
        largestStep = std::max(largestStep, whole.Percents[i] - whole.Percents[i - 1]);
    }
    EXPECT_LE(largestStep, 5);

    RecordingObserver stopping;
    stopping.StopAtPercent = 20;
    EXPECT_EQ(Convert(source, folder + "/stopped.3gp", H263Qcif(), &stopping), std::nullopt);
    const QJsonObject probe = Probe(folder + "/stopped.3gp");
    EXPECT_LT(StreamDuration(probe, 1), 20.0);
    EXPECT_GT(StreamDuration(probe, 1), 8.0);
    EXPECT_NEAR(StreamDuration(probe, 0), StreamDuration(probe, 1), 0.5);
}
