// Damaged and unusual sources: nothing decodable fails, isolated damage is
// passed over, time stamps that jump are followed, and a stop or the progress
// never waits for sound that runs on behind the last picture.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <iostream>
#include <numeric>

#include "ClipProbe.h"
#include "DamagedClips.h"
#include "Dynamicavimport.h"
#include "TestClips.h"
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

// Joined recordings in other shapes: HEVC with AC-3 (the file carries the
// first part's last sound after the second's first picture), three H.264 and
// AAC parts of different lengths (whose sound runs a little longer than their
// pictures), MPEG-2 in a program stream, a clock that wraps inside each part,
// and a clock that starts again and then leaves a 2.5 s gap (kept in both
// streams: the picture holds, the sound is silent). Every output lasts as long
// as its parts (and gap) together, and every flash of the picture comes with
// its tone, within one output frame (1/25 s).
TEST_F(TranscoderDamageTest, JoinedRecordingsStayInStep) {
    struct Joined {
        QString Name;
        QList<int> Lengths;
        QString Format;
        QString Video;
        QString Audio;
        double Offset;
        int LateFrom = -1;  // the part whose clock goes on Gap seconds after the one before
        double Gap = 0;
    };
    const std::vector<Joined> cases{
        {"hevc-ac3.ts", {3, 3}, "mpegts", "libx265", "ac3", 0},
        {"three.ts", {3, 4, 2}, "mpegts", "libx264", "aac", 0},
        {"program.mpg", {3, 2}, "mpeg", "mpeg2video", "mp2", 0},
        {"wrapping.ts", {4, 3}, "mpegts", "libx264", "mp2", 95440},
        {"gap.ts", {2, 3, 2}, "mpegts", "libx264", "ac3", 0, 2, 2.5},
    };
    ConversionParameters parameters = H263Qcif();  // 25 fps
    for (const Joined& joined : cases) {
        if (const QString why = test_support::SkipWithoutEncoder(joined.Video); !why.isEmpty()) {
            std::cout << "[ LEFT OUT ] " << joined.Name.toStdString() << ": " << why.toStdString()
                      << "\n";
            continue;
        }
        const QString source = test_support::MakeJoinedMarkedRecordings(
            Sources(), joined.Name, joined.Lengths, joined.Format, joined.Video, joined.Audio,
            joined.Offset, joined.LateFrom,
            joined.LateFrom > 0 ? joined.Lengths[joined.LateFrom - 1] + joined.Gap : 0);
        ASSERT_FALSE(source.isEmpty()) << joined.Name.toStdString();
        const QString output = NewFolder("in-step-" + joined.Name) + "/out.3gp";
        EXPECT_EQ(Convert(source, output, parameters), std::nullopt);
        const int seconds = std::accumulate(joined.Lengths.begin(), joined.Lengths.end(), 0);
        const double total = seconds + joined.Gap;
        // The seconds of the parts after the gap come that much later.
        const int beforeGap = joined.LateFrom > 0
                                  ? std::accumulate(joined.Lengths.begin(),
                                                    joined.Lengths.begin() + joined.LateFrom, 0)
                                  : seconds;
        const QJsonObject probe = Probe(output);
        EXPECT_NEAR(StreamDuration(probe, 0), total, 0.15) << joined.Name.toStdString();
        EXPECT_NEAR(StreamDuration(probe, 1), total, 0.15) << joined.Name.toStdString();
        const std::vector<double> flashes = FlashTimes(output);
        const std::vector<double> tones = ToneTimes(output);
        ASSERT_EQ(flashes.size(), static_cast<std::size_t>(seconds)) << joined.Name.toStdString();
        ASSERT_EQ(tones.size(), flashes.size()) << joined.Name.toStdString();
        for (std::size_t i = 0; i < flashes.size(); ++i) {
            // After a gap, the source's own clock places the part (its
            // encoder's delay included): within a tenth of a second.
            const bool late = static_cast<int>(i) >= beforeGap;
            const double expected = static_cast<double>(i) + (late ? joined.Gap : 0);
            EXPECT_NEAR(flashes[i], expected, late ? 0.1 : 0.045)
                << joined.Name.toStdString() << " second " << i;
            EXPECT_NEAR(tones[i], flashes[i], 0.04) << joined.Name.toStdString() << " second " << i;
        }
    }
}

// One picture under a minute of sound: the progress moves with the sound, and
// a stop at 20 % makes no more pictures: the file ends at the last picture
// held so far, and the sound read past it is cut there.
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
    // The 12 s of sound read by the stop would have the picture held under
    // all of it. The picture follows the sound 10 s behind, once the decoder
    // has given it (a decoder that works on several pictures at once gives it
    // only at the end).
    EXPECT_GT(StreamDuration(probe, 0), 0.0);
    EXPECT_LT(StreamDuration(probe, 0), 12.0 - 8.0);
    EXPECT_NEAR(StreamDuration(probe, 1), StreamDuration(probe, 0), 1000.0 / 14985 + 0.02);
    EXPECT_EQ(DecodeErrors(folder + "/stopped.3gp").toStdString(), "");
}

// Sound that begins long after the pictures (a recording whose sound comes
// in late): silence goes under the pictures as they run, and the sound still
// lands at its own time.
TEST_F(TranscoderDamageTest, SoundThatBeginsLongAfterThePicturesStaysInStep) {
    const QString flash =
        "color=black:size=160x120:rate=25:duration=20,"
        "drawbox=enable='lt(mod(t\\,1)\\,0.2)':color=white:t=fill";
    const QString tone =
        "aevalsrc='if(lt(mod(t\\,1)\\,0.2)\\,0.8*sin(2*PI*1000*t)\\,0)':s=48000:d=7";
    const QString source =
        MakeClip("late-sound.ts", {"-f", "lavfi", "-i", flash, "-itsoffset", "13", "-f", "lavfi",
                                   "-i", tone, "-c:v", "mpeg2video", "-q:v", "4", "-c:a", "mp2"});
    const QString output = NewFolder("late-sound") + "/late.3gp";
    ASSERT_EQ(Convert(source, output, H263Qcif()), std::nullopt);
    const QJsonObject probe = Probe(output);
    EXPECT_NEAR(StreamDuration(probe, 0), 20.0, 0.15);
    EXPECT_NEAR(StreamDuration(probe, 1), 20.0, 0.15);
    const std::vector<double> flashes = FlashTimes(output);
    const std::vector<double> tones = ToneTimes(output);
    ASSERT_EQ(flashes.size(), 20u);
    ASSERT_EQ(tones.size(), 7u);
    for (std::size_t i = 0; i < tones.size(); ++i) {
        EXPECT_NEAR(tones[i], flashes[13 + i], 0.045) << "second " << 13 + i;
    }
}
