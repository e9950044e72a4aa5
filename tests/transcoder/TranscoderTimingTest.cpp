// Frame counts and frame-rate conversion, exact durations, sound kept in sync
// with the pictures, progress and a stop in the middle.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>

#include "Dynamicavimport.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

class TranscoderTimingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AV.Problems().empty());
        AV.av_log_set_level(AV_LOG_ERROR);
    }
};

// A video-only H.264 clip of the given rate and length.
QString PictureClip(const QString& name, const QString& rate, const QString& seconds) {
    return MakeClip(
        name, {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=" + rate + ":duration=" + seconds,
               "-c:v", "libx264", "-pix_fmt", "yuv420p"});
}

int FrameCount(const QString& path) {
    return StreamOf(Probe(path), 0)["nb_read_frames"].toString().toInt();
}

}  // namespace

// The output holds every slot of the source's length: a clip that lasts its
// duration gives the frame limit, the last frame rounded up.
TEST_F(TranscoderTimingTest, FrameRateConversionBothWays) {
    struct Case {
        const char* Name;
        const char* SourceRate;
        int32_t Numerator, Denominator;
        int Frames;    // output frames of the 2 s source
        int Distinct;  // different pictures among them
    };
    for (const Case& c :
         {Case{"same", "25", 25, 1, 50, 50}, Case{"fewer", "10", 25, 1, 50, 20},
          Case{"more", "30", 14985, 1000, 30, 30}, Case{"many", "50", 2997, 100, 60, 60}}) {
        SCOPED_TRACE(c.Name);
        const QString source =
            PictureClip(QString("rate%1.mp4").arg(c.SourceRate), c.SourceRate, "2");
        ConversionParameters p = H263Qcif();
        p.VideoCodecId = AV_CODEC_ID_MPEG4;
        p.FrameRateNumerator = c.Numerator;
        p.FrameRateDenominator = c.Denominator;
        const QString output = NewFolder(c.Name) + "/out.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        EXPECT_EQ(FrameCount(output), c.Frames);
        const QStringList sums = FrameChecksums(output);
        EXPECT_EQ(sums.size(), c.Frames);
        // More source pictures than slots: each slot shows its own picture;
        // fewer: each picture is held for the slots it covers.
        EXPECT_EQ(DistinctNeighbours(sums), c.Distinct);
        EXPECT_EQ(DecodeErrors(output).toStdString(), "");
    }
}

// The exact length, not whole seconds: 1.45 s at 25 fps is 37 frames (36.25
// rounded up), and a clip shorter than a second converts too.
TEST_F(TranscoderTimingTest, FractionalAndShortDurations) {
    ConversionParameters p = H263Qcif();
    {
        const QString source = PictureClip("frac.mp4", "20", "1.45");
        const QString output = NewFolder("frac") + "/frac.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        EXPECT_EQ(FrameCount(output), 37);
    }
    {
        const QString source =
            MakeClip("short.mp4", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=20:duration=0.5",
                                   "-f", "lavfi", "-i", "sine=duration=0.5", "-c:v", "libx264",
                                   "-pix_fmt", "yuv420p", "-c:a", "aac"});
        const QString output = NewFolder("short") + "/short.3gp";
        RecordingObserver observer;
        ASSERT_EQ(Convert(source, output, p, &observer), std::nullopt);
        EXPECT_EQ(FrameCount(output), 13);
        EXPECT_NEAR(StreamEnd(output, 1), 0.52, 0.05);
        EXPECT_EQ(DecodeErrors(output).toStdString(), "");
        ASSERT_FALSE(observer.Percents.empty());
        EXPECT_EQ(observer.Percents.back(), 100);
    }
}

// A source that does not tell its length converts to its end; progress then
// follows the bytes read.
TEST_F(TranscoderTimingTest, UnknownDurationConvertsToTheEnd) {
    const QString source =
        MakeClip("unknown.mjpeg", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2",
                                   "-c:v", "mjpeg", "-f", "mjpeg"});
    ASSERT_FALSE(Probe(source)["format"].toObject().contains("duration"))
        << "the source should not tell its length";
    const QString output = NewFolder("unknown") + "/unknown.3gp";
    RecordingObserver observer;
    ASSERT_EQ(Convert(source, output, H263Qcif(), &observer), std::nullopt);
    EXPECT_EQ(FrameCount(output), 50);
    EXPECT_GT(observer.Percents.size(), 10u);
    ASSERT_FALSE(observer.Percents.empty());
    EXPECT_EQ(observer.Percents.back(), 100);
}

// Sound that starts later than the pictures is preceded by silence; sound
// that starts earlier loses what comes before the pictures. Both streams end
// together.
TEST_F(TranscoderTimingTest, SoundStaysInSyncWithPictures) {
    const QStringList picture{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2"};
    const QStringList sound{"-f", "lavfi", "-i", "sine=frequency=440:duration=2"};
    const QStringList codecs{"-c:v", "mpeg4", "-c:a", "libmp3lame"};
    struct Case {
        const char* Name;
        QStringList Arguments;
        double SilentUntil;
    };
    const QStringList late = picture + QStringList{"-itsoffset", "0.5"} + sound + codecs;
    const QStringList early = QStringList{"-itsoffset", "0.5"} + picture + sound + codecs;
    for (const Case& c : {Case{"late", late, 0.45}, Case{"early", early, 0.0}}) {
        SCOPED_TRACE(c.Name);
        const QString source = MakeClip(QString("sync-%1.avi").arg(c.Name), c.Arguments);
        const ConversionParameters p = H263Qcif();
        const QString output = NewFolder(QString("sync-") + c.Name) + "/sync.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        const double frame = 1.0 / 25;
        const double videoEnd = StreamEnd(output, 0);
        EXPECT_NEAR(videoEnd, StreamEnd(output, 1), frame + 160.0 / 8000 + 0.001);
        if (c.SilentUntil > 0) {
            EXPECT_LT(MaxVolume(output, 0.0, c.SilentUntil), -60.0);
            EXPECT_GT(MaxVolume(output, 0.6, 1.4), -20.0);
            EXPECT_NEAR(videoEnd, 2.5, 0.1);
        } else {
            // The pictures start 0.5 s into the sound: the first half second
            // of sound is dropped and the rest lines up with the pictures.
            EXPECT_GT(MaxVolume(output, 0.0, 0.4), -20.0);
            EXPECT_NEAR(videoEnd, 2.0, 0.1);
        }
        EXPECT_EQ(DecodeErrors(output).toStdString(), "");
    }
}

// A stop ends the file normally: a complete, shorter, decodable file with its
// streams in sync, under the final name.
TEST_F(TranscoderTimingTest, StopInTheMiddleGivesCompleteShorterFile) {
    const QString source = MakeClip(
        "long.avi", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3", "-f", "lavfi",
                     "-i", "sine=duration=3", "-c:v", "mpeg4", "-c:a", "libmp3lame"});
    const QString output = NewFolder("stop") + "/stop.3gp";
    RecordingObserver observer;
    observer.StopAtPercent = 40;
    const ConversionParameters p = Mpeg4Qvga();
    ASSERT_EQ(Convert(source, output, p, &observer), std::nullopt);
    EXPECT_EQ(observer.Percents.back(), 40);
    EXPECT_EQ(FilesIn(QFileInfo(output).path()), QStringList{"stop.3gp"});
    const double videoEnd = StreamEnd(output, 0);
    EXPECT_NEAR(videoEnd, 1.2, 0.15);
    EXPECT_NEAR(videoEnd, StreamEnd(output, 1), 1000.0 / 14985 + 160.0 / 8000 + 0.001);
    EXPECT_EQ(TopLevelBoxes(output).indexOf("moov"), 1);
    EXPECT_EQ(DecodeErrors(output).toStdString(), "");
}
