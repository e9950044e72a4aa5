// Subtitles burned into the picture: each source is converted with and
// without them and the decoded outputs compared picture by picture. A cue
// must change the lower part of exactly the pictures of its time, in letters
// at least 1/11 of the screen high, inside the picture.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestClips.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

// Two short cues and a long one that needs more than two lines.
constexpr const char* kSubRip =
    "1\n00:00:01,000 --> 00:00:02,000\nHello Jig\n\n"
    "2\n00:00:03,000 --> 00:00:04,000\nQuiet please\n\n"
    "3\n00:00:04,400 --> 00:00:05,200\nThis cue goes on and on for far longer than a small "
    "phone screen can ever show on one or even two lines of text\n\n";
// Cue times in seconds.
struct Cue {
    double Start;
    double End;
};
const std::vector<Cue> kShortCues = {{1.0, 2.0}, {3.0, 4.0}};
const std::vector<Cue> kAllCues = {{1.0, 2.0}, {3.0, 4.0}, {4.4, 5.2}};

constexpr const char* kAss =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 384\nPlayResY: 288\n\n"
    "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
    "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, "
    "Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,DejaVu Sans,30,&H0000FFFF,&H0000FFFF,&H00000000,&H00000000,0,0,0,0,100,"
    "100,0,0,1,2,0,2,10,10,12,1\n\n"
    "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
    "Text\n"
    "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Hello Jig\n"
    "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,Quiet please\n";

class SubtitleObserver : public RecordingObserver {
public:
    void SubtitlesLeftOut(const std::string& reason) override { LeftOut.push_back(reason); }
    std::vector<std::string> LeftOut;
};

QString WriteText(const QString& path, const char* text) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return path;
}

QString SubRipFile() {
    const QString path = WorkFolder() + "/sources/cues.srt";
    QDir().mkpath(WorkFolder() + "/sources");
    if (!QFile::exists(path)) WriteText(path, kSubRip);
    return path;
}

// A flat grey source of six seconds: coding noise stays far below the
// letters' contrast.
QStringList GreyPictures(const QString& size) {
    return {"-f", "lavfi", "-i", "color=c=0x707070:s=" + size + ":r=25:d=6"};
}

// The decoded pictures of a file, planar YUV 4:2:0 at width x height.
std::vector<QByteArray> Pictures(const QString& path, int width, int height) {
    const QString raw = NewFolder("raw") + "/pictures.yuv";
    const ProcessResult result = Run(KESTOVAR_FFMPEG, {"-v", "error", "-y", "-i", path, "-f",
                                                       "rawvideo", "-pix_fmt", "yuv420p", raw});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    QFile file(raw);
    file.open(QIODevice::ReadOnly);
    const QByteArray all = file.readAll();
    const int size = width * height * 3 / 2;
    std::vector<QByteArray> pictures;
    for (int at = 0; at + size <= all.size(); at += size) pictures.push_back(all.mid(at, size));
    return pictures;
}

struct Change {
    int Count = 0;                                               // luma samples that differ clearly
    int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;  // inclusive
    int Height() const { return Bottom - Top + 1; }
};

Change Compare(const QByteArray& with, const QByteArray& without, int width, int height) {
    Change change;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int a = static_cast<uint8_t>(with[y * width + x]);
            const int b = static_cast<uint8_t>(without[y * width + x]);
            if (std::abs(a - b) <= 40) continue;
            ++change.Count;
            change.Left = std::min(change.Left, x);
            change.Right = std::max(change.Right, x);
            change.Top = std::min(change.Top, y);
            change.Bottom = std::max(change.Bottom, y);
        }
    }
    return change;
}

struct Area {
    int Left, Top, Right, Bottom;  // inclusive: where letters may be
};

// The pictures of `with` differ from those of `without` exactly while a cue
// is shown (output time = source time - start), in the lower part, inside
// the area, with letters at least 1/11 of the screen high.
void ExpectCues(const QString& with, const QString& without, const ConversionParameters& p,
                const std::vector<Cue>& cues, double start, const Area& area,
                int* cueFrames = nullptr, std::vector<Change>* changes = nullptr) {
    const auto a = Pictures(with, p.Width, p.Height);
    const auto b = Pictures(without, p.Width, p.Height);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 0u);
    int shown = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double time =
            start + static_cast<double>(i) * p.FrameRateDenominator / p.FrameRateNumerator;
        const bool inCue = std::any_of(cues.begin(), cues.end(), [&](const Cue& cue) {
            return cue.Start <= time + 1e-6 && time + 1e-6 < cue.End;
        });
        const Change change = Compare(a[i], b[i], p.Width, p.Height);
        if (changes) changes->push_back(change);
        SCOPED_TRACE("picture " + std::to_string(i) + " at " + std::to_string(time) + " s");
        if (!inCue) {
            EXPECT_LE(change.Count, 4);
            continue;
        }
        ++shown;
        EXPECT_GT(change.Count, 30);
        EXPECT_GE(change.Height(), p.Height / 11.0);
        EXPECT_GE(change.Top, p.Height / 2);
        EXPECT_GE(change.Left, area.Left);
        EXPECT_LE(change.Right, area.Right);
        EXPECT_GE(change.Top, area.Top);
        EXPECT_LE(change.Bottom, area.Bottom);
    }
    if (cueFrames) *cueFrames = shown;
    EXPECT_GT(shown, 0);
}

// Inside the screen, clear of its edges.
Area WholeScreen(const ConversionParameters& p) {
    return {1, 0, p.Width - 2, p.Height - 2};
}

ConversionParameters WithSubtitles(ConversionParameters p) {
    p.BurnSubtitles = true;
    return p;
}

}  // namespace

// SubRip in Matroska: the cues appear for exactly their time, a long one is
// set in at most two lines, and a later start moves them, showing the cue
// that spans the start from the first picture.
TEST(TranscoderSubtitles, SubRipTrackInMatroskaIsBurnedInForItsCuesTimes) {
    QStringList arguments = GreyPictures("320x240");
    arguments << "-i" << SubRipFile() << "-map"
              << "0"
              << "-map"
              << "1"
              << "-c:v"
              << "mpeg4"
              << "-q:v"
              << "2"
              << "-c:s"
              << "srt";
    const QString source = MakeClip("subrip.mkv", arguments);
    const QString folder = NewFolder("subrip");
    const ConversionParameters p = H263Qcif();
    ASSERT_FALSE(Convert(source, folder + "/plain.3gp", p));
    SubtitleObserver observer;
    ASSERT_FALSE(Convert(source, folder + "/subtitled.3gp", WithSubtitles(p), &observer));
    EXPECT_TRUE(observer.LeftOut.empty());
    std::vector<Change> changes;
    ExpectCues(folder + "/subtitled.3gp", folder + "/plain.3gp", p, kAllCues, 0, WholeScreen(p),
               nullptr, &changes);
    // The long cue (from 4.4 s) in two lines at most: a line is at most an
    // eighth of the screen high.
    ASSERT_GT(changes.size(), 115u);
    EXPECT_LE(changes[115].Height(), 2 * p.Height / 8 + 6);
    EXPECT_GT(changes[115].Height(), changes[30].Height() * 7 / 5);

    // From 1.5 s: the first cue shows from the first picture to 0.5 s, the
    // second from 1.5 s to 2.5 s.
    const ClipRange range{1.5, 4.2};
    ASSERT_FALSE(Convert(source, folder + "/plain-trimmed.3gp", p, nullptr, range));
    ASSERT_FALSE(
        Convert(source, folder + "/subtitled-trimmed.3gp", WithSubtitles(p), nullptr, range));
    int shown = 0;
    ExpectCues(folder + "/subtitled-trimmed.3gp", folder + "/plain-trimmed.3gp", p, kShortCues, 1.5,
               WholeScreen(p), &shown);
    EXPECT_EQ(shown, 13 + 25);
}

// mov_text in MP4, at 320x240 and 14.985 pictures a second.
TEST(TranscoderSubtitles, MovTextTrackInMp4IsBurnedIn) {
    QStringList arguments = GreyPictures("320x240");
    arguments << "-i" << SubRipFile() << "-map"
              << "0"
              << "-map"
              << "1"
              << "-c:v"
              << "mpeg4"
              << "-q:v"
              << "2"
              << "-c:s"
              << "mov_text";
    const QString source = MakeClip("movtext.mp4", arguments);
    const QString folder = NewFolder("movtext");
    const ConversionParameters p = Mpeg4Qvga();
    ASSERT_FALSE(Convert(source, folder + "/plain.3gp", p));
    ASSERT_FALSE(Convert(source, folder + "/subtitled.3gp", WithSubtitles(p)));
    ExpectCues(folder + "/subtitled.3gp", folder + "/plain.3gp", p, kAllCues, 0, WholeScreen(p));
}

// The picture's bottom row in a picture with black bars above and below.
int PictureBottom(const QString& path, const ConversionParameters& p) {
    const auto plain = Pictures(path, p.Width, p.Height);
    if (plain.empty()) return -1;
    int bottom = p.Height - 1;
    while (bottom > 0 &&
           std::abs(static_cast<uint8_t>(plain[0][bottom * p.Width + p.Width / 2]) - 16) < 8) {
        --bottom;
    }
    return bottom;
}

// An ASS file beside an AVI: its yellow stays yellow, and its positions stay
// inside the picture also with black bars. A SubRip file beside it
// (film.en.srt) goes into the bar below the wide picture.
TEST(TranscoderSubtitles, AssFileBesideAviKeepsItsStyleAndSubRipGoesIntoTheBar) {
    const QString sources = NewFolder("beside");
    QStringList arguments = GreyPictures("320x180");
    arguments << "-c:v"
              << "mpeg4"
              << "-q:v"
              << "2";
    const test_support::ProgramResult made =
        test_support::RunFfmpeg(arguments, sources + "/film.avi", KESTOVAR_FFMPEG);
    ASSERT_EQ(made.ExitCode, 0) << made.Err.toStdString();
    WriteText(sources + "/film.ass", kAss);
    const QString source = sources + "/film.avi";
    const QString folder = NewFolder("beside-out");

    ConversionParameters p = H263Qcif();
    ASSERT_FALSE(Convert(source, folder + "/plain.3gp", p));
    ASSERT_FALSE(Convert(source, folder + "/subtitled.3gp", WithSubtitles(p)));
    ExpectCues(folder + "/subtitled.3gp", folder + "/plain.3gp", p, kShortCues, 0, WholeScreen(p));
    // Yellow letters: where they are, blue-difference well below grey's 128.
    const auto pictures = Pictures(folder + "/subtitled.3gp", p.Width, p.Height);
    ASSERT_GT(pictures.size(), 30u);
    const QByteArray& picture = pictures[30];
    const int chroma = p.Width * p.Height;
    int yellow = 0;
    for (int i = 0; i < chroma / 4; ++i) {
        if (static_cast<uint8_t>(picture[chroma + i]) < 80) ++yellow;
    }
    EXPECT_GT(yellow, 10);

    // Black bars: the 16:9 picture is 176 x 98 or so between bars of 22 or
    // 24 rows.
    p.PictureFit = PictureFitMode::BlackBars;
    ASSERT_FALSE(Convert(source, folder + "/plain-bars.3gp", p));
    ASSERT_FALSE(Convert(source, folder + "/subtitled-bars.3gp", WithSubtitles(p)));
    const int pictureBottom = PictureBottom(folder + "/plain-bars.3gp", p);
    ASSERT_LT(pictureBottom, p.Height - 16);
    const int pictureTop = p.Height - 1 - pictureBottom;
    ExpectCues(folder + "/subtitled-bars.3gp", folder + "/plain-bars.3gp", p, kShortCues, 0,
               Area{1, pictureTop, p.Width - 2, pictureBottom});

    // Plain text: one line goes below the picture, never into it.
    const QString other = NewFolder("beside-srt");
    ASSERT_TRUE(QFile::copy(source, other + "/film.avi"));
    ASSERT_TRUE(QFile::copy(SubRipFile(), other + "/film.en.srt"));
    const ClipRange shortCues{0, 4.2};
    ASSERT_FALSE(
        Convert(other + "/film.avi", folder + "/plain-bars-short.3gp", p, nullptr, shortCues));
    ASSERT_FALSE(Convert(other + "/film.avi", folder + "/subrip-bars.3gp", WithSubtitles(p),
                         nullptr, shortCues));
    ExpectCues(folder + "/subrip-bars.3gp", folder + "/plain-bars-short.3gp", p, kShortCues, 0,
               Area{1, pictureBottom + 1, p.Width - 2, p.Height - 1});
}

// A subtitle file that is no subtitle file: the clip converts without
// subtitles, and says why.
TEST(TranscoderSubtitles, UnreadableSubtitleFileLeavesThemOutWithAWarning) {
    const QString sources = NewFolder("broken");
    QStringList arguments = GreyPictures("160x120");
    arguments << "-t"
              << "1"
              << "-c:v"
              << "mpeg4";
    ASSERT_EQ(test_support::RunFfmpeg(arguments, sources + "/clip.avi", KESTOVAR_FFMPEG).ExitCode,
              0);
    QFile junk(sources + "/clip.srt");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, '\x01'));
    junk.close();
    const QString folder = NewFolder("broken-out");
    SubtitleObserver observer;
    ASSERT_FALSE(
        Convert(sources + "/clip.avi", folder + "/clip.3gp", WithSubtitles(H263Qcif()), &observer));
    ASSERT_EQ(observer.LeftOut.size(), 1u);
    EXPECT_NE(observer.LeftOut[0].find("clip.srt"), std::string::npos) << observer.LeftOut[0];
    EXPECT_TRUE(QFile::exists(folder + "/clip.3gp"));
}

// DVD subtitles (bitmaps) in Matroska: scaled with the picture and put where
// their own positions say.
TEST(TranscoderSubtitles, BitmapTrackIsScaledAndPlacedWithThePicture) {
    const QString folder = NewFolder("bitmaps");
    const ProcessResult made =
        testmedia::Run(KESTOVAR_MAKE_BITMAP_SUBTITLES, {folder + "/cues.mkv"});
    ASSERT_EQ(made.ExitCode, 0) << made.Err.toStdString();
    QStringList arguments = GreyPictures("320x240");
    arguments << "-i" << folder + "/cues.mkv"
              << "-map"
              << "0"
              << "-map"
              << "1"
              << "-c:v"
              << "mpeg4"
              << "-q:v"
              << "2"
              << "-c:s"
              << "copy";
    const QString source = MakeClip("bitmaps.mkv", arguments);
    const ConversionParameters p = H263Qcif();
    ASSERT_FALSE(Convert(source, folder + "/plain.3gp", p));
    ASSERT_FALSE(Convert(source, folder + "/subtitled.3gp", WithSubtitles(p)));
    std::vector<Change> changes;
    ExpectCues(folder + "/subtitled.3gp", folder + "/plain.3gp", p, kShortCues, 0, WholeScreen(p),
               nullptr, &changes);
    // The 160 x 24 box at (80, 200) of 320 x 240, at 176 x 144.
    ASSERT_GT(changes.size(), 30u);
    EXPECT_NEAR(changes[30].Left, 44, 3);
    EXPECT_NEAR(changes[30].Top, 120, 3);
    EXPECT_NEAR(changes[30].Right, 44 + 88 - 1, 3);
}
