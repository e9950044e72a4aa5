// The clips people hold today: HDR pictures, several sound tracks, surround
// dialogue, music with a cover. Sources are made with the ffmpeg program,
// outputs decoded again and measured.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ClipProbe.h"
#include "TestClips.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

// Decodes with ffmpeg into a raw file and reads it back.
QByteArray DecodeRaw(const QString& path, const QStringList& output) {
    const QString raw = NewFolder("raw") + "/decoded.raw";
    QStringList arguments{"-v", "error", "-y", "-i", path};
    arguments << output << raw;
    const ProcessResult result = Run(KESTOVAR_FFMPEG, arguments);
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    QFile file(raw);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// The first picture at 320x180 (area), 8-bit R'G'B', its Y'CbCr read as the
// matrix says.
QByteArray BarsPicture(const QString& path, const QString& matrix) {
    return DecodeRaw(path, {"-frames:v", "1", "-vf",
                            "scale=320:180:flags=area:in_color_matrix=" + matrix + ",format=rgb24",
                            "-f", "rawvideo"});
}

struct Rgb {
    double R = 0, G = 0, B = 0;
};

// The centres of the seven top bars, 30 % down the picture (5x5 averages).
std::vector<Rgb> TopBars(const QByteArray& rgb) {
    std::vector<Rgb> bars;
    if (rgb.size() < 320 * 180 * 3) return bars;
    const int y = 54;
    for (int bar = 0; bar < 7; ++bar) {
        const int cx = static_cast<int>(40 + (bar + 0.5) * 240 / 7);
        Rgb sum;
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const int at = ((y + dy) * 320 + cx + dx) * 3;
                sum.R += static_cast<uint8_t>(rgb[at]) / 25.0;
                sum.G += static_cast<uint8_t>(rgb[at + 1]) / 25.0;
                sum.B += static_cast<uint8_t>(rgb[at + 2]) / 25.0;
            }
        }
        bars.push_back(sum);
    }
    return bars;
}

double Saturation(const Rgb& c) {
    const double high = std::max({c.R, c.G, c.B});
    const double low = std::min({c.R, c.G, c.B});
    return high <= 0 ? 0 : (high - low) / high;
}

class RemarkObserver : public RecordingObserver {
public:
    void Remark(const std::string& text) override { Remarks.push_back(text); }
    void Warning(const std::string& text) override { Warnings.push_back(text); }
    std::vector<std::string> Remarks;
    std::vector<std::string> Warnings;
};

// The SDR bars the HDR ones are measured against.
std::vector<Rgb> SdrBars() {
    const QString sdr =
        MakeClip("hdbars-sdr.mkv", {"-f", "lavfi", "-i", "smptehdbars=s=1920x1080:r=25:d=0.2",
                                    "-c:v", "mpeg4", "-q:v", "1", "-colorspace", "bt709",
                                    "-color_primaries", "bt709", "-color_trc", "bt709"});
    return TopBars(BarsPicture(sdr, "bt709"));
}

// SMPTE HD bars in PQ or HLG (BT.2020, 10-bit HEVC); PQ with HDR10's static
// metadata (mastering display and light levels).
QString HdrBars(const QString& transfer) {
    QString x265 = "log-level=error";
    if (transfer == "smpte2084") {
        x265 +=
            ":hdr10=1:master-display=G(13250,34500)B(7500,3000)R(34000,16000)"
            "WP(15635,16450)L(10000000,1):max-cll=1000,400";
    }
    return MakeClip(
        "hdbars-" + transfer + ".mkv",
        {"-f", "lavfi", "-i", "smptehdbars=s=1920x1080:r=25:d=0.2", "-vf",
         "zscale=tin=bt709:min=bt709:pin=bt709:rin=tv:t=" + transfer +
             ":m=bt2020nc:p=bt2020:r=tv:npl=203,format=yuv420p10le",
         "-c:v", "libx265", "-x265-params", x265, "-preset", "ultrafast", "-color_primaries",
         "bt2020", "-color_trc", transfer, "-colorspace", "bt2020nc"});
}

// Converts the HDR bars and checks them against the SDR ones: within 12
// levels on average, none more than 22 off, and as saturated.
void ExpectSdrBars(const QString& hdr, const std::vector<Rgb>& truth, RemarkObserver& observer) {
    const QString output = NewFolder("hdr") + "/bars.3gp";
    ASSERT_EQ(Convert(hdr, output, Mpeg4Qvga(), &observer), std::nullopt);
    const std::vector<Rgb> shown = TopBars(BarsPicture(output, "bt601"));
    ASSERT_EQ(shown.size(), 7u);
    double total = 0;
    double worst = 0;
    double saturation = 0;
    for (int bar = 0; bar < 7; ++bar) {
        const double error =
            (std::abs(shown[bar].R - truth[bar].R) + std::abs(shown[bar].G - truth[bar].G) +
             std::abs(shown[bar].B - truth[bar].B)) /
            3;
        total += error;
        worst = std::max(worst, error);
        saturation += Saturation(shown[bar]) / 7;
    }
    EXPECT_LE(total / 7, 12.0);
    EXPECT_LE(worst, 22.0);
    EXPECT_GE(saturation, 0.75);
}

// 16-bit samples of a file's first sound track, as the phone's decoder
// gives them.
std::vector<int16_t> SoundSamples(const QString& path) {
    const QByteArray raw =
        DecodeRaw(path, {"-map", "0:a:0", "-f", "s16le", "-ac", "1", "-ar", "8000"});
    std::vector<int16_t> samples(static_cast<std::size_t>(raw.size()) / 2);
    std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
    return samples;
}

double RmsDb(const std::vector<int16_t>& samples, std::size_t from, std::size_t to) {
    double sum = 0;
    to = std::min(to, samples.size());
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    if (to <= from || sum <= 0) return -1000;
    return 10 * std::log10(sum / static_cast<double>(to - from) / (32768.0 * 32768.0));
}

}  // namespace

// SMPTE HD bars made into PQ (with HDR10 metadata) and into HLG (BT.2020,
// 10-bit HEVC, the latter with no mastering metadata) come out
// with the bars' colours: within 12 levels on average of the SDR bars, none
// more than 22 off, and as saturated, where the matrix alone gave a grey,
// washed-out picture.
TEST(MediaHdr, PqAndHlgBarsComeOutAsTheSdrBars) {
    if (const QString why = test_support::SkipWithoutEncoder("libx265", KESTOVAR_FFMPEG);
        !why.isEmpty()) {
        GTEST_SKIP() << why.toStdString();
    }
    const std::vector<Rgb> truth = SdrBars();
    ASSERT_EQ(truth.size(), 7u);
    for (const QString& transfer : {QString("smpte2084"), QString("arib-std-b67")}) {
        SCOPED_TRACE(transfer.toStdString());
        RemarkObserver observer;
        ExpectSdrBars(HdrBars(transfer), truth, observer);
        const std::string remark = std::string("HDR picture (") +
                                   (transfer == "smpte2084" ? "PQ" : "HLG") + ") mapped to SDR";
        EXPECT_EQ(observer.Remarks, std::vector<std::string>{remark});
        EXPECT_TRUE(observer.Warnings.empty());
    }
}

// Dolby Vision: its HDR10 or HLG base layer is converted like any other, with
// no warning; profile 5, whose base layer needs the Dolby Vision data to be
// shown, converts with a warning that its colours will be wrong.
TEST(MediaHdr, DolbyVisionThroughItsBaseLayer) {
    if (const QString why = test_support::SkipWithoutEncoder("libx265", KESTOVAR_FFMPEG);
        !why.isEmpty()) {
        GTEST_SKIP() << why.toStdString();
    }
    const std::vector<Rgb> truth = SdrBars();
    ASSERT_EQ(truth.size(), 7u);
    struct Kind {
        const char* Transfer;
        const char* Profile;
        const char* Compatibility;
    };
    for (const Kind& kind : {Kind{"smpte2084", "8", "1"}, Kind{"arib-std-b67", "8", "4"},
                             Kind{"smpte2084", "5", "0"}}) {
        const QString name = QStringLiteral("dovi-%1.%2.mp4").arg(kind.Profile, kind.Compatibility);
        SCOPED_TRACE(name.toStdString());
        const QString marked = NewFolder("dovi") + "/" + name;
        const ProcessResult made =
            testmedia::Run(KESTOVAR_MARK_DOLBY_VISION,
                           {HdrBars(kind.Transfer), marked, kind.Profile, kind.Compatibility});
        ASSERT_EQ(made.ExitCode, 0) << made.Err.toStdString();
        RemarkObserver observer;
        if (std::string(kind.Profile) == "5") {
            const QString output = NewFolder("dovi-out") + "/five.3gp";
            ASSERT_EQ(Convert(marked, output, Mpeg4Qvga(), &observer), std::nullopt);
            ASSERT_EQ(observer.Warnings.size(), 1u);
            EXPECT_NE(observer.Warnings[0].find("Dolby Vision profile 5"), std::string::npos)
                << observer.Warnings[0];
        } else {
            ExpectSdrBars(marked, truth, observer);
            EXPECT_TRUE(observer.Warnings.empty());
        }
    }
}

// Two sound tracks, the second flagged default: the second is converted,
// the probe says so, and a chosen track wins; a track the file lacks fails.
TEST(MediaSoundTrack, DefaultTrackUnlessOneIsChosen) {
    const QString source = MakeClip("two-tracks.mkv", {"-f",
                                                       "lavfi",
                                                       "-i",
                                                       "testsrc=size=160x120:rate=25:duration=1",
                                                       "-f",
                                                       "lavfi",
                                                       "-i",
                                                       "anullsrc=r=44100:cl=mono",
                                                       "-f",
                                                       "lavfi",
                                                       "-i",
                                                       "sine=frequency=440:sample_rate=44100",
                                                       "-map",
                                                       "0:v",
                                                       "-map",
                                                       "1:a",
                                                       "-map",
                                                       "2:a",
                                                       "-t",
                                                       "1",
                                                       "-c:v",
                                                       "mpeg4",
                                                       "-c:a",
                                                       "pcm_s16le",
                                                       "-disposition:a:0",
                                                       "0",
                                                       "-disposition:a:1",
                                                       "default"});
    const std::unique_ptr<SourceClipItem> probed = ProbeClip(source);
    EXPECT_EQ(probed->SoundTracks, 2);
    EXPECT_EQ(probed->ChosenSoundTrack, 2);

    const QString folder = NewFolder("tracks");
    ASSERT_EQ(Convert(source, folder + "/default.3gp", H263Qcif()), std::nullopt);
    EXPECT_GT(MaxVolume(folder + "/default.3gp", 0.2, 0.8), -30);
    ClipRange first;
    first.AudioTrack = 1;
    ASSERT_EQ(Convert(source, folder + "/first.3gp", H263Qcif(), nullptr, first), std::nullopt);
    EXPECT_LT(MaxVolume(folder + "/first.3gp", 0.2, 0.8), -60);
    ClipRange third;
    third.AudioTrack = 3;
    const auto failure = Convert(source, folder + "/third.3gp", H263Qcif(), nullptr, third);
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("no sound track 3"), std::string::npos) << *failure;
}

// A 5.1 voice only in the centre comes out within 4 dB of the same voice as
// a mono source; full-scale tones in every channel of 5.1 and 7.1 are held
// below full scale by the limiter instead of clipping.
TEST(MediaDownmix, CentreVoiceKeepsItsLevelAndPeaksAreLimited) {
    const QString folder = NewFolder("downmix");
    // The voice: a 300 Hz tone at -11.3 dBFS RMS (the source gives 1/8 of full scale).
    const QString voice = "sine=frequency=300:sample_rate=48000:duration=2,volume=3.08";
    const QString mono = MakeClip("voice11-mono.wav", {"-f", "lavfi", "-i", voice});
    const QString centre =
        MakeClip("voice11-51.wav", {"-f", "lavfi", "-i", voice, "-af", "pan=5.1|FC=c0"});
    ConversionParameters p = H263Qcif();
    ASSERT_EQ(Convert(mono, folder + "/mono.3gp", p), std::nullopt);
    ASSERT_EQ(Convert(centre, folder + "/centre.3gp", p), std::nullopt);
    const double monoLevel = RmsDb(SoundSamples(folder + "/mono.3gp"), 4000, 12000);
    const double centreLevel = RmsDb(SoundSamples(folder + "/centre.3gp"), 4000, 12000);
    EXPECT_GT(monoLevel, -20);
    EXPECT_NEAR(centreLevel, monoLevel, 4.0) << monoLevel << " " << centreLevel;

    for (const QString& layout : {QString("5.1"), QString("7.1")}) {
        SCOPED_TRACE(layout.toStdString());
        const QString loud = MakeClip(
            "fulltone-" + layout + ".wav",
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=2,volume=8", "-af",
             layout == "5.1" ? "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0"
                             : "pan=7.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0|c6=c0|c7=c0"});
        ASSERT_EQ(Convert(loud, folder + "/loud.3gp", p), std::nullopt);
        const std::vector<int16_t> samples = SoundSamples(folder + "/loud.3gp");
        ASSERT_GT(samples.size(), 12000u);
        const auto full = std::count_if(samples.begin(), samples.end(),
                                        [](int16_t s) { return s >= 32767 || s <= -32767; });
        EXPECT_LE(static_cast<double>(full), 0.0001 * static_cast<double>(samples.size()));
        EXPECT_GT(RmsDb(samples, 4000, 12000), -8.0);  // loud, not scaled down
    }
}

// An MP3 with an APIC frame, an M4A with covr, a FLAC with a PICTURE block
// and a Matroska file with a cover attachment: the cover is the picture for
// the whole length of the sound, at the phone's size, about one picture a
// second; the probe shows the cover's size.
TEST(MediaCover, CoverArtBecomesAStillForTheWholeSound) {
    const QString cover =
        MakeClip("cover.png",
                 {"-f", "lavfi", "-i", "color=c=red:size=300x300:duration=1", "-frames:v", "1"});
    const QString coverJpeg = MakeClip("cover.jpg", {"-i", cover, "-frames:v", "1"});
    const QStringList tone{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=3"};
    struct Case {
        QString Name;
        QStringList Arguments;
    };
    const Case cases[] = {
        {"song.mp3", QStringList(tone) << "-i" << coverJpeg << "-map"
                                       << "0"
                                       << "-map"
                                       << "1"
                                       << "-c:a"
                                       << "libmp3lame"
                                       << "-c:v"
                                       << "copy"
                                       << "-id3v2_version"
                                       << "3"
                                       << "-disposition:v"
                                       << "attached_pic"},
        {"song.m4a", QStringList(tone) << "-i" << coverJpeg << "-map"
                                       << "0"
                                       << "-map"
                                       << "1"
                                       << "-c:a"
                                       << "aac"
                                       << "-c:v"
                                       << "copy"
                                       << "-disposition:v"
                                       << "attached_pic"},
        {"song.flac", QStringList(tone) << "-i" << cover << "-map"
                                        << "0"
                                        << "-map"
                                        << "1"
                                        << "-c:a"
                                        << "flac"
                                        << "-c:v"
                                        << "copy"
                                        << "-disposition:v"
                                        << "attached_pic"},
        {"song.mka", QStringList(tone) << "-c:a"
                                       << "flac"
                                       << "-attach" << coverJpeg << "-metadata:s:t"
                                       << "mimetype=image/jpeg"
                                       << "-metadata:s:t"
                                       << "filename=cover.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        const QString source = MakeClip(c.Name, c.Arguments);
        const std::unique_ptr<SourceClipItem> probed = ProbeClip(source);
        EXPECT_EQ(probed->SourceWidth, 300);
        EXPECT_EQ(probed->SourceHeight, 300);

        const QString output = NewFolder("cover") + "/song.3gp";
        ConversionParameters p = Mpeg4Qvga();
        p.PictureFit = PictureFitMode::BlackBars;
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        const QJsonObject probe = Probe(output);
        ASSERT_EQ(StreamCount(probe), 2);
        const QJsonObject video = StreamOf(probe, 0);
        EXPECT_EQ(video["codec_type"].toString(), "video");
        EXPECT_EQ(video["width"].toInt(), 320);
        EXPECT_NEAR(StreamEnd(output, 0), 3.0, 0.15);
        EXPECT_NEAR(StreamEnd(output, 1), 3.0, 0.15);
        const std::vector<PacketInfo> packets = Packets(output, 0);
        EXPECT_GE(packets.size(), 3u);
        EXPECT_LE(packets.size(), 5u);
        EXPECT_EQ(DecodeErrors(output), "");
        // The middle of the last picture is the cover's red, bars at the sides.
        const QByteArray all = DecodeRaw(
            output, {"-vf", "scale=in_color_matrix=bt601,format=rgb24", "-f", "rawvideo"});
        ASSERT_GE(all.size(), 320 * 240 * 3);
        const QByteArray rgb = all.right(320 * 240 * 3);
        const int middle = (120 * 320 + 160) * 3;
        EXPECT_GT(static_cast<uint8_t>(rgb[middle]), 200);
        EXPECT_LT(static_cast<uint8_t>(rgb[middle + 1]), 50);
        EXPECT_LT(static_cast<uint8_t>(rgb[(120 * 320 + 5) * 3]), 30);
    }
}
