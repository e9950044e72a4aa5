// Made for the phone: a size limit the output keeps to, and a part of a clip
// converted on its own.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <iostream>

#include "IsoBoxes.h"
#include "RunProgram.h"
#include "TestClips.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

// The "Nokia 6630": 176x144 H.263 at 14.985 fps, AMR at 8000 Hz.
ConversionParameters Nokia6630() {
    ConversionParameters p = H263Qcif();
    p.FrameRateNumerator = 14985;
    p.FrameRateDenominator = 1000;
    return p;
}

}  // namespace

TEST(SizeLimit, FillsTheMmsLimitOrFailsWithTheLengthThatFits) {
    const QString source =
        MakeClip("busy30.avi", {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15:duration=30",
                                "-f", "lavfi", "-i", "sine=f=440:sample_rate=8000:duration=30",
                                "-c:v", "mpeg4", "-q:v", "3", "-c:a", "pcm_s16le"});
    ConversionParameters p = Nokia6630();
    p.SizeLimitBytes = 300 * 1024;
    const QString folder = NewFolder("size-limit");
    const QString output = folder + "/busy30.3gp";
    RecordingObserver observer;
    EXPECT_EQ(Convert(source, output, p, &observer), std::nullopt);
    const qint64 size = QFileInfo(output).size();
    EXPECT_LE(size, 307200);
    EXPECT_GE(size, 307200 * 85 / 100);
    // The planned rate lands within 85-100 % of the limit at once: that first
    // pass is kept, never encoded again.
    EXPECT_EQ(observer.Restarts, 0);
    EXPECT_EQ(DecodeErrors(output), QString());
    EXPECT_NEAR(StreamEnd(output, 0), 30.0, 0.1);
    EXPECT_EQ(observer.Percents.back(), 100);

    // Ten minutes cannot fit in 300 KB: nothing is written, and the message
    // names the length that would.
    const QString tenMinutes =
        MakeClip("long600.avi",
                 {"-f", "lavfi", "-i", "color=c=gray:s=32x32:r=1:d=600", "-f", "lavfi", "-i",
                  "anullsrc=r=8000:cl=mono", "-t", "600", "-c:v", "mpeg4", "-c:a", "pcm_s16le"});
    const QString empty = NewFolder("does-not-fit");
    EXPECT_EQ(Convert(tenMinutes, empty + "/long600.3gp", p),
              std::optional<std::string>(
                  "The clip does not fit in 300 KB: at most 00:00:59\n"
                  "Even the lowest bitrates need more room for the clip's length: " +
                  tenMinutes.toStdString() + "\n"));
    EXPECT_TRUE(FilesIn(empty).isEmpty());
}

// A container that claims twice its real length: the planned rate fills only
// about half the limit, so the file is encoded again, higher, and ends within
// 85-100 % of the limit.
TEST(SizeLimit, FarBelowTheLimitIsEncodedAgainHigher) {
    const QString source =
        MakeClip("busy12.mp4", {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15:duration=12",
                                "-f", "lavfi", "-i", "sine=f=440:sample_rate=8000:duration=12",
                                "-c:v", "mpeg4", "-q:v", "3", "-c:a", "aac"});
    const QString lying = NewFolder("size-limit-lying") + "/busy24.mp4";
    QFile::remove(lying);
    ASSERT_TRUE(QFile::copy(source, lying));
    ASSERT_TRUE(test_support::ScaleMovieDuration(lying, 2.0));
    ConversionParameters p = Nokia6630();
    p.SizeLimitBytes = 150 * 1024;
    const QString output = NewFolder("size-limit-again") + "/busy24.3gp";
    RecordingObserver observer;
    EXPECT_EQ(Convert(lying, output, p, &observer), std::nullopt);
    const qint64 size = QFileInfo(output).size();
    EXPECT_GE(observer.Restarts, 1);
    EXPECT_LE(size, p.SizeLimitBytes);
    EXPECT_GE(size, p.SizeLimitBytes * 85 / 100);
    EXPECT_NEAR(StreamEnd(output, 0), 12.0, 0.2);
    EXPECT_TRUE(FilesIn(QFileInfo(output).path()) == QStringList{"busy24.3gp"})
        << FilesIn(QFileInfo(output).path()).join(u' ').toStdString();
}

// A limit only ever lowers the bitrate: a short clip whose chosen quality
// fits comes out exactly as without a limit, in one pass.
TEST(SizeLimit, AGenerousLimitChangesNothing) {
    const QString source =
        MakeClip("busy2.avi", {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15:duration=2", "-f",
                               "lavfi", "-i", "sine=f=440:sample_rate=8000:duration=2", "-c:v",
                               "mpeg4", "-q:v", "3", "-c:a", "pcm_s16le"});
    const QString folder = NewFolder("size-limit-generous");
    const auto contents = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    ConversionParameters p = Nokia6630();
    ASSERT_EQ(Convert(source, folder + "/none.3gp", p), std::nullopt);
    const QByteArray unlimited = contents(folder + "/none.3gp");
    ASSERT_FALSE(unlimited.isEmpty());
    for (const int64_t limit : {int64_t{1024 * 1024}, int64_t{16 * 1024 * 1024}}) {
        p.SizeLimitBytes = limit;
        const QString output = folder + QStringLiteral("/limit%1.3gp").arg(limit);
        RecordingObserver observer;
        ASSERT_EQ(Convert(source, output, p, &observer), std::nullopt) << limit;
        EXPECT_EQ(observer.Restarts, 0) << limit;
        EXPECT_TRUE(contents(output) == unlimited) << limit;
    }
}

TEST(ClipRange, MiddleOfThreeColoursOnlyWithSoundInStep) {
    const QString source = MakeClip("colours40.avi", {"-f",
                                                      "lavfi",
                                                      "-i",
                                                      "color=c=red:s=160x120:r=15:d=10",
                                                      "-f",
                                                      "lavfi",
                                                      "-i",
                                                      "color=c=lime:s=160x120:r=15:d=15",
                                                      "-f",
                                                      "lavfi",
                                                      "-i",
                                                      "color=c=blue:s=160x120:r=15:d=15",
                                                      "-f",
                                                      "lavfi",
                                                      "-i",
                                                      "sine=f=440:sample_rate=8000:duration=40",
                                                      "-filter_complex",
                                                      "[0][1][2]concat=n=3:v=1:a=0[v]",
                                                      "-map",
                                                      "[v]",
                                                      "-map",
                                                      "3",
                                                      "-c:v",
                                                      "mpeg4",
                                                      "-q:v",
                                                      "3",
                                                      "-g",
                                                      "30",
                                                      "-c:a",
                                                      "pcm_s16le"});
    const QString output = NewFolder("range") + "/colours40.3gp";
    RecordingObserver observer;
    ConversionParameters p = Nokia6630();
    EXPECT_EQ(Convert(source, output, p, &observer, ClipRange{10, 25}), std::nullopt);

    // 15 s, exact to one output frame; the sound ends with the pictures.
    const double frame = 1000.0 / 14985.0;
    EXPECT_NEAR(StreamEnd(output, 0), 15.0, frame + 1e-3);
    EXPECT_NEAR(StreamEnd(output, 1), StreamEnd(output, 0), frame + 160.0 / 8000 + 0.001);
    EXPECT_NEAR(Packets(output, 0).front().Pts, 0.0, 1e-6);
    // Every picture is the middle colour: green, no red and no blue.
    const QByteArray rgb =
        test_support::RunProgram(KESTOVAR_FFMPEG, {"-v", "error", "-i", output, "-vf", "scale=1:1",
                                                   "-f", "rawvideo", "-pix_fmt", "rgb24", "-"})
            .Out;
    ASSERT_GE(rgb.size(), 3 * 220);
    for (qsizetype i = 0; i + 2 < rgb.size(); i += 3) {
        ASSERT_LT(static_cast<uint8_t>(rgb[i]), 40) << "picture " << i / 3;
        ASSERT_GT(static_cast<uint8_t>(rgb[i + 1]), 200) << "picture " << i / 3;
        ASSERT_LT(static_cast<uint8_t>(rgb[i + 2]), 40) << "picture " << i / 3;
    }
    // Progress runs against the 15 s converted.
    EXPECT_EQ(observer.Percents.back(), 100);
    EXPECT_GE(observer.Percents.size(), 50u);

    // A start past the end fails and says so.
    const QString none = NewFolder("range-past-end");
    EXPECT_EQ(Convert(source, none + "/colours40.3gp", p, nullptr, ClipRange{50, 0}),
              std::optional<std::string>(
                  "The clip is shorter than the start time 00:00:50.0: it lasts 00:00:40.0\n"
                  "The start time lies past the clip's end: " +
                  source.toStdString() + "\n"));
    EXPECT_TRUE(FilesIn(none).isEmpty());
}

// Raw streams carry no time stamps and cannot be searched by time: a later
// start decodes them from their first byte and drops what comes before it.
TEST(ClipRange, LaterStartInRawStreamsWithoutTimeStamps) {
    const ConversionParameters p = Nokia6630();
    for (const auto& [encoder, format] :
         {std::pair{"libx264", "h264"}, {"libx265", "hevc"}, {"mpeg2video", "m2v"}}) {
        if (const QString why = test_support::SkipWithoutEncoder(encoder, KESTOVAR_FFMPEG);
            !why.isEmpty()) {
            std::cout << "[ LEFT OUT ] " << format << ": " << why.toStdString() << "\n";
            continue;
        }
        const QString source = MakeClip(
            QStringLiteral("red-green.%1").arg(format),
            {"-f", "lavfi", "-i", "color=c=red:s=160x120:r=25:d=3", "-f", "lavfi", "-i",
             "color=c=lime:s=160x120:r=25:d=3", "-filter_complex", "[0][1]concat=n=2:v=1:a=0",
             "-c:v", encoder, "-f", format == QLatin1String("m2v") ? "mpeg2video" : format});
        const QString output = NewFolder(QStringLiteral("raw-%1").arg(format)) + "/trimmed.3gp";
        ASSERT_EQ(Convert(source, output, p, nullptr, ClipRange{3, 0}), std::nullopt) << format;
        EXPECT_NEAR(StreamEnd(output, 0), 3.0, 0.1) << format;
        const QByteArray rgb =
            test_support::RunProgram(
                KESTOVAR_FFMPEG, {"-v", "error", "-i", output, "-vf", "scale=1:1", "-f", "rawvideo",
                                  "-pix_fmt", "rgb24", "-"})
                .Out;
        ASSERT_GE(rgb.size(), 3 * 40) << format;
        for (qsizetype i = 0; i + 2 < rgb.size(); i += 3) {
            ASSERT_LT(static_cast<uint8_t>(rgb[i]), 60) << format << " picture " << i / 3;
            ASSERT_GT(static_cast<uint8_t>(rgb[i + 1]), 180) << format << " picture " << i / 3;
        }
    }
}

namespace {

// The integrated loudness and true peak ffmpeg's EBU R128 meter reads.
std::pair<double, double> Loudness(const QString& path) {
    const ProcessResult meter = Run(KESTOVAR_FFMPEG, {"-hide_banner", "-nostats", "-i", path, "-af",
                                                      "ebur128=peak=true", "-f", "null", "-"});
    const QString summary = meter.Err.mid(meter.Err.lastIndexOf("Summary:"));
    const auto number = [&summary](const QString& label) {
        const qsizetype at = summary.indexOf(label);
        return summary.mid(at + label.size()).trimmed().section(' ', 0, 0).toDouble();
    };
    return {number("I:"), number("Peak:")};
}

}  // namespace

TEST(EvenLoudness, QuietSpeechBandNoiseComesOutAtPhoneLoudness) {
    // Stereo noise in the speech band at -35 LUFS.
    const QString source = MakeClip(
        "quiet20.avi",
        {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=15:duration=20", "-f", "lavfi", "-i",
         "anoisesrc=color=pink:sample_rate=44100:seed=7:duration=20,highpass=f=300,"
         "lowpass=f=3400,volume=-18.9dB,pan=stereo|c0=c0|c1=c0",
         "-c:v", "mpeg4", "-c:a", "pcm_s16le"});
    const auto [sourceLoudness, sourcePeak] = Loudness(source);
    ASSERT_NEAR(sourceLoudness, -35.0, 1.5);

    const QString folder = NewFolder("loudness");
    ConversionParameters p = Nokia6630();
    EXPECT_EQ(Convert(source, folder + "/as-recorded.3gp", p), std::nullopt);
    p.EvenLoudness = true;
    EXPECT_EQ(Convert(source, folder + "/even.3gp", p), std::nullopt);

    // As recorded: the downmix and the coder's loss only, as before.
    EXPECT_LT(Loudness(folder + "/as-recorded.3gp").first, -36.0);
    const auto [loudness, peak] = Loudness(folder + "/even.3gp");
    EXPECT_NEAR(loudness, -16.0, 2.0);
    EXPECT_LE(peak, -1.5);
    // The sound keeps its length against the pictures.
    EXPECT_NEAR(StreamEnd(folder + "/even.3gp", 1), StreamEnd(folder + "/even.3gp", 0), 0.1);
}
