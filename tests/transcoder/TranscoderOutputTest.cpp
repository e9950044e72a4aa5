// What a phone needs of every output: the 3GP brand, the codec, size and frame
// rate of the video, AMR narrow-band at 8000 Hz mono, the index in front,
// rising time stamps, streams of equal length and a clean decode.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <cmath>

#include "Dynamicavimport.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

const QStringList kTestPicture{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2"};
const QStringList kTestSound{"-f", "lavfi", "-i",
                             "sine=frequency=440:sample_rate=44100:duration=2"};

struct SourceKind {
    const char* Name;
    const char* FileName;
    QStringList Codecs;
    enum { Qcif, Qvga, Defaults } Output;
};

std::vector<SourceKind> SourceKinds() {
    return {
        {"Mpeg1Mp2",
         "kind.mpg",
         {"-c:v", "mpeg1video", "-b:v", "800k", "-c:a", "mp2", "-ac", "2"},
         SourceKind::Qcif},
        {"Mpeg4Mp3Avi",
         "kind.avi",
         {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-ac", "2"},
         SourceKind::Qvga},
        {"Wmv2Wma",
         "kind.wmv",
         {"-c:v", "wmv2", "-c:a", "wmav2", "-ac", "2"},
         SourceKind::Defaults},
        {"Flv1Mp3",
         "kind.flv",
         {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "44100"},
         SourceKind::Qvga},
        {"H264AacMov",
         "kind.mov",
         {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", "-ac", "2"},
         SourceKind::Qvga},
        {"H264AacMp4",
         "kind.mp4",
         {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"},
         SourceKind::Qcif},
        {"H263Amr3gp",
         "kind.3gp",
         {"-s", "176x144", "-c:v", "h263", "-c:a", "libopencore_amrnb", "-ar", "8000", "-ac", "1"},
         SourceKind::Qvga},
    };
}

class TranscoderOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AV.Problems().empty());
        AV.av_log_set_level(AV_LOG_ERROR);
    }
};

// Checks every property a phone relies on.
void ExpectPhoneReady(const QString& path, const ConversionParameters& p, bool video, bool audio) {
    ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    const QJsonObject probe = Probe(path);
    EXPECT_TRUE(probe["format"]["tags"]["major_brand"].toString().startsWith("3gp"))
        << probe["format"]["tags"]["major_brand"].toString().toStdString();
    EXPECT_EQ(StreamCount(probe), int(video) + int(audio));
    int index = 0;
    if (video) {
        const QJsonObject s = StreamOf(probe, index++);
        EXPECT_EQ(s["codec_type"].toString(), "video");
        EXPECT_EQ(s["codec_name"].toString(),
                  p.VideoCodecId == AV_CODEC_ID_MPEG4 ? "mpeg4" : "h263");
        EXPECT_EQ(s["width"].toInt(), p.Width);
        EXPECT_EQ(s["height"].toInt(), p.Height);
        EXPECT_EQ(s["has_b_frames"].toInt(), 0);
        const QStringList rate = s["avg_frame_rate"].toString().split('/');
        ASSERT_EQ(rate.size(), 2);
        EXPECT_NEAR(rate[0].toDouble() / rate[1].toDouble(),
                    double(p.FrameRateNumerator) / p.FrameRateDenominator, 0.01);
    }
    if (audio) {
        const QJsonObject s = StreamOf(probe, index);
        EXPECT_EQ(s["codec_type"].toString(), "audio");
        EXPECT_EQ(s["codec_name"].toString(), "amr_nb");
        EXPECT_EQ(s["sample_rate"].toString(), "8000");
        EXPECT_EQ(s["channels"].toInt(), 1);
    }
    // The index before the media data.
    const QStringList boxes = TopLevelBoxes(path);
    ASSERT_GE(boxes.size(), 3) << boxes.join(' ').toStdString();
    EXPECT_EQ(boxes[0], "ftyp");
    EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat")) << boxes.join(' ').toStdString();
    // Time stamps rise in every stream.
    for (int i = 0; i < int(video) + int(audio); ++i) {
        const std::vector<PacketInfo> packets = Packets(path, i);
        EXPECT_FALSE(packets.empty());
        for (size_t k = 1; k < packets.size(); ++k) {
            ASSERT_GT(packets[k].Pts, packets[k - 1].Pts) << "stream " << i << " packet " << k;
        }
        if (video && i == 0) {
            // A key frame at least every 12 pictures.
            size_t lastKey = 0;
            ASSERT_TRUE(packets.empty() || packets[0].Key);
            for (size_t k = 1; k < packets.size(); ++k) {
                if (packets[k].Key) lastKey = k;
                EXPECT_LT(k - lastKey, 12u) << "picture " << k;
            }
        }
    }
    EXPECT_EQ(DecodeErrors(path).toStdString(), "");
}

void ExpectEqualLengths(const QString& path, const ConversionParameters& p) {
    const double frame = double(p.FrameRateDenominator) / p.FrameRateNumerator;
    const double videoEnd = StreamEnd(path, 0);
    const double audioEnd = StreamEnd(path, 1);
    EXPECT_NEAR(videoEnd, audioEnd, frame + 160.0 / 8000 + 0.001)
        << "video " << videoEnd << " s, sound " << audioEnd << " s";
}

}  // namespace

class SourceKindTest : public TranscoderOutputTest,
                       public ::testing::WithParamInterface<SourceKind> {};

TEST_P(SourceKindTest, ConvertsToPhoneReadyFile) {
    const SourceKind& kind = GetParam();
    QStringList arguments = kTestPicture + kTestSound;
    arguments << kind.Codecs;
    const QString source = MakeClip(kind.FileName, arguments);
    // The defaults: 352x288 H.263 at 25 fps.
    const ConversionParameters p = kind.Output == SourceKind::Qvga   ? Mpeg4Qvga()
                                   : kind.Output == SourceKind::Qcif ? H263Qcif()
                                                                     : ConversionParameters{};
    const QString output = NewFolder(kind.Name) + "/kind.3gp";
    RecordingObserver observer;
    EXPECT_EQ(Convert(source, output, p, &observer), std::nullopt);
    ExpectPhoneReady(output, p, true, true);
    ExpectEqualLengths(output, p);
    EXPECT_NEAR(StreamEnd(output, 0), 2.0, 0.1);
    // Progress rises one whole percent at a time at most once each and ends full.
    ASSERT_FALSE(observer.Percents.empty());
    for (size_t i = 1; i < observer.Percents.size(); ++i) {
        EXPECT_GT(observer.Percents[i], observer.Percents[i - 1]);
    }
    EXPECT_EQ(observer.Percents.back(), 100);
    // Only the final file is left in the output folder.
    EXPECT_EQ(FilesIn(QFileInfo(output).path()), QStringList{"kind.3gp"});
}

INSTANTIATE_TEST_SUITE_P(AllKinds, SourceKindTest, ::testing::ValuesIn(SourceKinds()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TranscoderOutputTest, SilentClipGivesVideoOnlyFile) {
    const QString source = MakeClip(
        "silent.mp4", kTestPicture + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p"});
    const QString output = NewFolder("silent") + "/silent.3gp";
    EXPECT_EQ(Convert(source, output, H263Qcif()), std::nullopt);
    ExpectPhoneReady(output, H263Qcif(), true, false);
    EXPECT_EQ(StreamOf(Probe(output), 0)["nb_read_frames"].toString(), "50");
}

TEST_F(TranscoderOutputTest, SoundFileGivesAmrOnlyFile) {
    const QString source =
        MakeClip("sound.mp3", kTestSound + QStringList{"-c:a", "libmp3lame", "-ac", "2"});
    const QString output = NewFolder("sound") + "/sound.3gp";
    RecordingObserver observer;
    EXPECT_EQ(Convert(source, output, H263Qcif(), &observer), std::nullopt);
    ExpectPhoneReady(output, H263Qcif(), false, true);
    EXPECT_NEAR(StreamEnd(output, 0), 2.0, 0.06);
    ASSERT_FALSE(observer.Percents.empty());
    EXPECT_EQ(observer.Percents.back(), 100);
    EXPECT_GT(observer.Percents.size(), 10u);
}

TEST_F(TranscoderOutputTest, ExistingOutputIsReplaced) {
    const QString source = MakeClip(
        "replace.avi", kTestPicture + kTestSound + QStringList{"-c:v", "mpeg4", "-c:a", "mp2"});
    const QString output = NewFolder("replace") + "/kind.3gp";
    {
        QFile old(output);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    EXPECT_EQ(Convert(source, output, H263Qcif()), std::nullopt);
    ExpectPhoneReady(output, H263Qcif(), true, true);
    EXPECT_EQ(FilesIn(QFileInfo(output).path()), QStringList{"kind.3gp"});
    // The new file may be read by others as any new file may.
    const QString plain = QFileInfo(output).path() + "/plain";
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(QFileInfo(output).permissions(), QFileInfo(plain).permissions());
}

TEST_F(TranscoderOutputTest, ExtraStreamsAreSkipped) {
    // A second sound track and a subtitle track beside the two converted ones.
    const QString subtitles = WorkFolder() + "/sources/extra.srt";
    {
        QFile file(subtitles);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("1\n00:00:00,000 --> 00:00:01,500\nHello\n\n");
    }
    QStringList arguments = kTestPicture + kTestSound;
    arguments << "-f"
              << "lavfi"
              << "-i"
              << "sine=frequency=880:duration=2"
              << "-i" << subtitles << "-map"
              << "0"
              << "-map"
              << "1"
              << "-map"
              << "2"
              << "-map"
              << "3"
              << "-c:v"
              << "mpeg4"
              << "-c:a"
              << "libmp3lame"
              << "-c:s"
              << "srt";
    const QString source = MakeClip("extra.mkv", arguments);
    ASSERT_EQ(StreamCount(Probe(source)), 4);
    const QString output = NewFolder("extra") + "/extra.3gp";
    EXPECT_EQ(Convert(source, output, Mpeg4Qvga()), std::nullopt);
    ExpectPhoneReady(output, Mpeg4Qvga(), true, true);
    ExpectEqualLengths(output, Mpeg4Qvga());
}

// On busy pictures the encoders keep to the chosen bitrate, and MPEG-4 carries
// the Simple Profile level that fits.
TEST_F(TranscoderOutputTest, BitrateAndLevelFitThePhone) {
    const QString source =
        MakeClip("busy.avi", {"-f", "lavfi", "-i", "testsrc=size=640x480:rate=30:duration=3", "-vf",
                              "noise=alls=60:allf=t", "-c:v", "mpeg4", "-q:v", "4"});
    struct Case {
        ConversionParameters Parameters;
        int Level;  // -99: none expected
    };
    ConversionParameters low = Mpeg4Qvga();
    low.Width = 176;
    low.Height = 144;
    low.VideoBitRate = 64000;
    for (const Case& c : {Case{Mpeg4Qvga(), 3}, Case{low, 1}, Case{H263Qcif(), -99}}) {
        const ConversionParameters& p = c.Parameters;
        const QString output =
            NewFolder(QString("busy-%1-%2").arg(p.Width).arg(p.VideoBitRate)) + "/busy.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        ExpectPhoneReady(output, p, true, false);
        double bytes = 0;
        const std::vector<PacketInfo> packets = Packets(output, 0);
        for (const PacketInfo& packet : packets) bytes += packet.Size;
        const double seconds =
            packets.size() * double(p.FrameRateDenominator) / p.FrameRateNumerator;
        const double rate = bytes * 8 / seconds;
        EXPECT_NEAR(rate, p.VideoBitRate, 0.15 * p.VideoBitRate) << p.Width << "x" << p.Height;
        const QJsonObject stream = StreamOf(Probe(output), 0);
        if (c.Level != -99) {
            EXPECT_EQ(stream["profile"].toString(), "Simple Profile");
            EXPECT_EQ(stream["level"].toInt(), c.Level);
        }
    }
}

// A clip stored sideways (as phones store portrait clips) is shown upright,
// as players show its source, whichever way it is turned.
TEST_F(TranscoderOutputTest, RotatedSourceIsTurnedUpright) {
    const QString upright = "testsrc=size=240x320:rate=25:duration=1";
    struct Case {
        const char* Name;
        const char* Stored;  // how the upright picture lies in the file
        const char* Tag;     // the rotation the file tells its players
    };
    for (const Case& c :
         {Case{"quarter", "transpose=cclock", "270"}, Case{"half", "hflip,vflip", "180"},
          Case{"three-quarters", "transpose=clock", "90"}}) {
        SCOPED_TRACE(c.Name);
        const QString stored = MakeClip(QString("stored-%1.mp4").arg(c.Name),
                                        {"-f", "lavfi", "-i", upright, "-vf", c.Stored, "-c:v",
                                         "libx264", "-pix_fmt", "yuv420p"});
        const QString source =
            MakeClip(QString("rotated-%1.mp4").arg(c.Name),
                     {"-i", stored, "-c", "copy", "-metadata:s:v:0", QString("rotate=") + c.Tag});
        ConversionParameters p = H263Qcif();
        const QString output = NewFolder("rotated") + "/rotated.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        ExpectPhoneReady(output, p, true, false);
        // Compared with the upright picture and with the stored one, each
        // scaled to the phone's size.
        auto psnr = [&](const QString& filter) {
            const ProcessResult r = testmedia::Run(
                KESTOVAR_FFMPEG, {"-nostdin", "-i", output, "-f", "lavfi", "-i", upright, "-lavfi",
                                  "[1:v]" + filter + "scale=176:144:flags=bicubic[r];[0:v][r]psnr",
                                  "-f", "null", "-"});
            const QRegularExpressionMatch m =
                QRegularExpression("average:([0-9.]+|inf)").match(r.Err);
            return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
        };
        const double shownUpright = psnr("");
        const double shownAsStored = psnr(QString(c.Stored) + ",");
        EXPECT_GT(shownUpright, 25.0);
        EXPECT_GT(shownUpright, shownAsStored + 8.0)
            << "upright " << shownUpright << " dB, as stored " << shownAsStored << " dB";
    }
}
