// Frame counts and frame-rate conversion, exact durations, sound kept in sync
// with the pictures, progress and a stop in the middle.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <cmath>

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

// The mean luma of each picture of a file, scaled down to 8x8 without any
// change of range.
std::vector<double> PictureLevels(const QString& path) {
    QProcess process;
    // Raw 8x8 YUV 4:2:0 pictures: 64 bytes of luma, then 32 of colour.
    process.start(KESTOVAR_FFMPEG, {"-v", "error", "-nostdin", "-i", path, "-vf", "scale=8:8", "-f",
                                    "rawvideo", "-pix_fmt", "yuv420p", "-"});
    process.waitForFinished(60000);
    const QByteArray data = process.readAllStandardOutput();
    std::vector<double> levels;
    for (int offset = 0; offset + 96 <= data.size(); offset += 96) {
        double sum = 0;
        for (int i = 0; i < 64; ++i) sum += static_cast<uint8_t>(data[offset + i]);
        levels.push_back(sum / 64);
    }
    return levels;
}

// Which source picture each output frame shows: the source's pictures are
// flat grey, each a few levels brighter than the one before.
std::vector<int> ShownPictures(const QString& source, const QString& output) {
    const std::vector<double> pictures = PictureLevels(source);
    std::vector<int> shown;
    for (double level : PictureLevels(output)) {
        int best = 0;
        for (size_t k = 1; k < pictures.size(); ++k) {
            if (std::abs(pictures[k] - level) < std::abs(pictures[best] - level)) best = int(k);
        }
        shown.push_back(best);
    }
    return shown;
}

}  // namespace

// Each output frame shows the source picture on screen at the frame's start:
// with more source pictures per second than the output some are dropped, with
// fewer they are held; a clip that lasts its duration fills the frame limit.
TEST_F(TranscoderTimingTest, FrameRateConversionBothWays) {
    struct Case {
        const char* Name;
        int SourceRate;
        const char* Seconds;
        int32_t Numerator, Denominator;
        int Frames;  // output frames
    };
    for (const Case& c :
         {Case{"same", 25, "2", 25, 1, 50}, Case{"fewer", 10, "2", 25, 1, 50},
          Case{"more", 30, "2", 14985, 1000, 30}, Case{"many", 50, "1", 2997, 100, 30}}) {
        SCOPED_TRACE(c.Name);
        const QString source = MakeClip(
            QString("index%1.mp4").arg(c.SourceRate),
            {"-f", "lavfi", "-i",
             QString("nullsrc=s=64x48:r=%1:d=%2,geq=lum='16+4*N':cb=128:cr=128")
                 .arg(c.SourceRate)
                 .arg(c.Seconds),
             // Nearly lossless, with unreferenced B-pictures: those no
             // output frame shows need not be decoded at all.
             "-c:v", "libx264", "-qp", "1", "-bf", "3", "-b_strategy", "0", "-pix_fmt", "yuv420p"});
        ConversionParameters p = H263Qcif();
        p.VideoCodecId = AV_CODEC_ID_MPEG4;
        p.VideoBitRate = 400000;
        p.FrameRateNumerator = c.Numerator;
        p.FrameRateDenominator = c.Denominator;
        const QString output = NewFolder(c.Name) + "/out.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        EXPECT_EQ(FrameCount(output), c.Frames);
        const std::vector<int> shown = ShownPictures(source, output);
        ASSERT_EQ(shown.size(), size_t(c.Frames));
        for (int j = 0; j < c.Frames; ++j) {
            // Frame j starts at j / outputRate: the picture then on screen.
            const int expected =
                static_cast<int>(int64_t{j} * c.SourceRate * c.Denominator / c.Numerator);
            EXPECT_EQ(shown[j], expected) << "frame " << j;
        }
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
    const QStringList late = picture + QStringList{"-itsoffset", "0.5"} + sound + codecs;
    const QStringList early = QStringList{"-itsoffset", "0.5"} + picture + sound + codecs;
    const ConversionParameters p = H263Qcif();
    const double tolerance = 1.0 / 25 + 160.0 / 8000 + 0.001;
    {
        // Sound 0.5 s to 2.5 s, pictures 0 s to 2 s: silence first, and the
        // last picture stays while the sound goes on.
        const QString source = MakeClip("sync-late.mkv", late);
        const QString output = NewFolder("sync-late") + "/sync.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        EXPECT_LT(MaxVolume(output, 0.0, 0.45), -60.0);
        EXPECT_GT(MaxVolume(output, 0.55, 2.4), -20.0);
        EXPECT_NEAR(StreamEnd(output, 0), 2.5, tolerance);
        EXPECT_NEAR(StreamEnd(output, 1), 2.5, tolerance);
        EXPECT_EQ(DecodeErrors(output).toStdString(), "");
    }
    {
        // Pictures 0.5 s to 2.5 s, sound 0 s to 2 s: the first half second of
        // sound goes, the rest lines up with the pictures and silence follows.
        const QString source = MakeClip("sync-early.mkv", early);
        const QString output = NewFolder("sync-early") + "/sync.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        EXPECT_GT(MaxVolume(output, 0.0, 1.45), -20.0);
        EXPECT_LT(MaxVolume(output, 1.55, 1.95), -60.0);
        EXPECT_NEAR(StreamEnd(output, 0), 2.0, tolerance);
        EXPECT_NEAR(StreamEnd(output, 1), 2.0, tolerance);
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
    // The stop takes effect after the pass that reached 40 %.
    EXPECT_GE(observer.Percents.back(), 40);
    EXPECT_LE(observer.Percents.back(), 43);
    EXPECT_EQ(FilesIn(QFileInfo(output).path()), QStringList{"stop.3gp"});
    const double videoEnd = StreamEnd(output, 0);
    EXPECT_NEAR(videoEnd, 1.2, 0.15);
    EXPECT_NEAR(videoEnd, StreamEnd(output, 1), 1000.0 / 14985 + 160.0 / 8000 + 0.001);
    EXPECT_EQ(TopLevelBoxes(output).indexOf("moov"), 1);
    EXPECT_EQ(DecodeErrors(output).toStdString(), "");

    // A stop before the first picture leaves no file, and no error.
    RecordingObserver early;
    early.StopAtPercent = 0;
    early.Percents.push_back(0);
    const QString none = NewFolder("stop-early") + "/none.3gp";
    ASSERT_EQ(Convert(source, none, p, &early), std::nullopt);
    EXPECT_EQ(FilesIn(QFileInfo(none).path()), QStringList{});
}
