// The picture as the phone shows it: proportions kept in bars and crop, HD
// colours converted to BT.601, interlaced sources deinterlaced. Each output
// is decoded again with the ffmpeg program and measured.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

#include "PictureFit.h"
#include "RunProgram.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

// The first picture at `seconds` of a file, decoded with ffmpeg and turned
// into raw bytes of the given pixel format; vf adds filters before it.
QByteArray DecodedPicture(const QString& path, const QString& pixelFormat, double seconds,
                          const QString& vf = {}) {
    const QString raw = NewFolder("raw") + "/picture.raw";
    QStringList arguments{"-v", "error", "-y",        "-ss", QString::number(seconds),
                          "-i", path,    "-frames:v", "1"};
    if (!vf.isEmpty()) arguments << "-vf" << vf;
    arguments << "-f"
              << "rawvideo"
              << "-pix_fmt" << pixelFormat << raw;
    const ProcessResult result = Run(KESTOVAR_FFMPEG, arguments);
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    QFile file(raw);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

struct Box {
    int Left = -1, Top = -1, Right = -1, Bottom = -1;  // inclusive
    int Width() const { return Right - Left + 1; }
    int Height() const { return Bottom - Top + 1; }
};

// The bounds of the bright samples of a Y plane.
Box BrightBox(const QByteArray& luma, int width, int height) {
    Box box{width, height, -1, -1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (static_cast<uint8_t>(luma[y * width + x]) < 128) continue;
            box.Left = std::min(box.Left, x);
            box.Right = std::max(box.Right, x);
            box.Top = std::min(box.Top, y);
            box.Bottom = std::max(box.Bottom, y);
        }
    }
    return box;
}

// Whether every Y sample of the rows is true black (16, give or take coding
// noise).
bool RowsBlack(const QByteArray& luma, int width, int fromRow, int toRow) {
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x < width; ++x) {
            if (std::abs(static_cast<uint8_t>(luma[y * width + x]) - 16) > 3) return false;
        }
    }
    return true;
}

// The mean Y of a row.
int RowMean(const QByteArray& luma, int width, int row) {
    int sum = 0;
    for (int x = 0; x < width; ++x) sum += static_cast<uint8_t>(luma[row * width + x]);
    return sum / width;
}

}  // namespace

// A white square in a 16:9 picture, and one in an anamorphic 16:9 picture
// (360x288 with pixels 64:45 wide), comes out square on a 176x144 screen
// whose pixels are square. A grey frame marks the source's edges, so that the
// bars are told from the black inside.
TEST(PictureFit, SquareStaysSquareInBarsAndCrop) {
    const QString wide =
        MakeClip("square-16x9.mp4",
                 {"-f", "lavfi", "-i",
                  "color=black:s=320x180:r=25:d=1,drawbox=x=115:y=45:w=90:h=90:color=white:t=fill,"
                  "drawbox=color=0x505050:t=12",
                  "-c:v", "mpeg4", "-q:v", "2"});
    const QString anamorphic =
        MakeClip("square-anamorphic.mp4",
                 {"-f", "lavfi", "-i",
                  "color=black:s=360x288:r=25:d=1,drawbox=x=148:y=99:w=64:h=90:color=white:t=fill,"
                  "drawbox=color=0x505050:t=12,setsar=64/45",
                  "-c:v", "mpeg4", "-q:v", "2"});
    // The same interlaced, as from a DVD: the deinterlacer narrows it first.
    // The program stream leaves the pixels' shape to the pictures, MP4 says it
    // in the container too.
    const QStringList interlaced{"-vf",    "setfield=tff", "-c:v", "mpeg2video",
                                 "-flags", "+ildct+ilme",  "-q:v", "2"};
    const QString dvd =
        MakeClip("square-anamorphic-576i.mpg",
                 QStringList{"-i", anamorphic} + interlaced + QStringList{"-f", "mpeg"});
    const QString dvdMp4 =
        MakeClip("square-anamorphic-576i.mp4", QStringList{"-i", anamorphic} + interlaced);
    struct Case {
        QString Source;
        PictureFitMode Fit;
        int BarLines;  // black lines expected above and below the picture
    };
    const Case cases[] = {{wide, PictureFitMode::BlackBars, 22},
                          {wide, PictureFitMode::Crop, 0},
                          {anamorphic, PictureFitMode::BlackBars, 22},
                          {anamorphic, PictureFitMode::Crop, 0},
                          {dvd, PictureFitMode::BlackBars, 22},
                          {dvdMp4, PictureFitMode::BlackBars, 22},
                          {dvdMp4, PictureFitMode::Crop, 0}};
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        ConversionParameters p = H263Qcif();
        p.VideoBitRate = 384000;
        p.PictureFit = c.Fit;
        const QString output = NewFolder("fit") + QString("/out%1.3gp").arg(index++);
        ASSERT_EQ(Convert(c.Source, output, p), std::nullopt);
        const QByteArray luma = DecodedPicture(output, "yuv420p", 0.5).left(176 * 144);
        ASSERT_EQ(luma.size(), 176 * 144);
        const Box square = BrightBox(luma, 176, 144);
        EXPECT_LE(std::abs(square.Width() - square.Height()), 3)
            << square.Width() << "x" << square.Height();
        // The square is centred.
        EXPECT_LE(std::abs(square.Left + square.Right - 175), 3);
        EXPECT_LE(std::abs(square.Top + square.Bottom - 143), 3);
        if (c.BarLines > 0) {
            // Black bars, then the grey edge of the picture.
            EXPECT_TRUE(RowsBlack(luma, 176, 0, c.BarLines - 2));
            EXPECT_TRUE(RowsBlack(luma, 176, 144 - c.BarLines + 2, 144));
            EXPECT_GT(RowMean(luma, 176, c.BarLines + 1), 50);
            EXPECT_GT(RowMean(luma, 176, 144 - c.BarLines - 2), 50);
        } else {
            // Cropped: the grey left and right edges are cut off, the top and
            // bottom ones stay.
            EXPECT_LT(static_cast<uint8_t>(luma[72 * 176 + 1]), 40);
            EXPECT_GT(RowMean(luma, 176, 1), 50);
        }
    }
    // Stretched (the default), the 16:9 square becomes a tall rectangle.
    const QString stretched = NewFolder("fit") + "/stretched.3gp";
    ASSERT_EQ(Convert(wide, stretched, H263Qcif()), std::nullopt);
    const Box tall = BrightBox(DecodedPicture(stretched, "yuv420p", 0.5).left(176 * 144), 176, 144);
    EXPECT_GT(tall.Height() - tall.Width(), 15);
}

// Every rectangle of every fit starts on an even row and column and has even
// sides, whatever the shapes: the colour planes have half the rows, and a
// rectangle one line off puts the colour one line away from the brightness.
TEST(PictureFit, EveryRectangleIsEvenForEveryShape) {
    struct Shape {
        int Width, Height;
        AVRational Aspect;
    };
    const Shape sources[] = {{470, 200, {1, 1}},   {320, 180, {1, 1}},   {360, 288, {64, 45}},
                             {200, 470, {1, 1}},   {640, 480, {1, 1}},   {720, 576, {16, 15}},
                             {1920, 1080, {1, 1}}, {1440, 1080, {4, 3}}, {352, 240, {10, 11}},
                             {100, 30, {1, 1}},    {30, 100, {1, 1}},    {720, 480, {32, 27}},
                             {1280, 536, {1, 1}},  {400, 300, {0, 1}},   {176, 144, {12, 11}}};
    const Shape targets[] = {{176, 144, {1, 1}}, {128, 96, {1, 1}},  {320, 240, {1, 1}},
                             {352, 288, {1, 1}}, {240, 320, {1, 1}}, {176, 220, {1, 1}}};
    int odd = 0;
    for (const Shape& source : sources) {
        for (const Shape& target : targets) {
            for (const PictureFitMode mode : {PictureFitMode::BlackBars, PictureFitMode::Crop}) {
                const transcode::FitGeometry fit = transcode::FitPicture(
                    mode, source.Width, source.Height, source.Aspect, target.Width, target.Height);
                for (const transcode::PictureRect& r : {fit.Shown, fit.Placed}) {
                    for (const int value : {r.Left, r.Top, r.Width, r.Height}) {
                        if (value % 2 != 0) ++odd;
                    }
                    EXPECT_GT(r.Width, 0);
                    EXPECT_GT(r.Height, 0);
                }
                EXPECT_LE(fit.Placed.Left + fit.Placed.Width, target.Width);
                EXPECT_LE(fit.Placed.Top + fit.Placed.Height, target.Height);
                EXPECT_LE(fit.Shown.Left + fit.Shown.Width, source.Width);
                EXPECT_LE(fit.Shown.Top + fit.Shown.Height, source.Height);
                // Centred: the two bars (the two cut edges) differ by at most two lines.
                EXPECT_LE(std::abs(target.Height - 2 * fit.Placed.Top - fit.Placed.Height), 2);
                EXPECT_LE(std::abs(target.Width - 2 * fit.Placed.Left - fit.Placed.Width), 2);
                EXPECT_LE(std::abs(source.Height - 2 * fit.Shown.Top - fit.Shown.Height), 2);
                EXPECT_LE(std::abs(source.Width - 2 * fit.Shown.Left - fit.Shown.Width), 2);
            }
        }
    }
    EXPECT_EQ(odd, 0);
}

// A red picture in a wide (2.35:1) and in a tall frame, with bars: in the
// decoded output the red rows and columns start on even lines, and the
// colour planes turn red exactly where the brightness does.
TEST(PictureFit, ColourLinesUpWithTheBrightness) {
    const QString wide = MakeClip(
        "red-235.mp4",
        {"-f", "lavfi", "-i", "color=red:s=470x200:r=25:d=1", "-c:v", "mpeg4", "-q:v", "2"});
    const QString tall = MakeClip(
        "red-tall.mp4",
        {"-f", "lavfi", "-i", "color=red:s=200x470:r=25:d=1", "-c:v", "mpeg4", "-q:v", "2"});
    for (const QString& source : {wide, tall}) {
        SCOPED_TRACE(source.toStdString());
        ConversionParameters p = H263Qcif();
        p.VideoBitRate = 384000;
        p.PictureFit = PictureFitMode::BlackBars;
        const QString output = NewFolder("red") + "/out.3gp";
        ASSERT_EQ(Convert(source, output, p), std::nullopt);
        const QByteArray picture = DecodedPicture(output, "yuv420p", 0.5);
        ASSERT_EQ(picture.size(), 176 * 144 * 3 / 2);
        const QByteArray luma = picture.left(176 * 144);
        // Red is darker than 128 in Y: the box of what is not bar-black.
        Box red{176, 144, -1, -1};
        for (int y = 0; y < 144; ++y) {
            for (int x = 0; x < 176; ++x) {
                if (static_cast<uint8_t>(luma[y * 176 + x]) < 50) continue;
                red = {std::min(red.Left, x), std::min(red.Top, y), std::max(red.Right, x),
                       std::max(red.Bottom, y)};
            }
        }
        EXPECT_EQ(red.Left % 2, 0) << red.Left;
        EXPECT_EQ(red.Top % 2, 0) << red.Top;
        EXPECT_EQ(red.Width() % 2, 0) << red.Width();
        EXPECT_EQ(red.Height() % 2, 0) << red.Height();
        // The Cr plane: red inside the box's half, neutral just outside it.
        const auto cr = [&](int x, int y) {
            return static_cast<int>(static_cast<uint8_t>(picture[176 * 144 * 5 / 4 + y * 88 + x]));
        };
        const int middleX = (red.Left + red.Right) / 4;
        const int middleY = (red.Top + red.Bottom) / 4;
        EXPECT_GT(cr(middleX, red.Top / 2), 180);
        EXPECT_GT(cr(middleX, red.Bottom / 2), 180);
        EXPECT_GT(cr(red.Left / 2, middleY), 180);
        EXPECT_GT(cr(red.Right / 2, middleY), 180);
        if (red.Top > 0) {
            EXPECT_LT(cr(middleX, red.Top / 2 - 1), 150);
        }
        if (red.Bottom < 143) {
            EXPECT_LT(cr(middleX, red.Bottom / 2 + 1), 150);
        }
        if (red.Left > 0) {
            EXPECT_LT(cr(red.Left / 2 - 1, middleY), 150);
        }
        if (red.Right < 175) {
            EXPECT_LT(cr(red.Right / 2 + 1, middleY), 150);
        }
    }
}

// HD colour bars tagged BT.709: decoded as BT.601 (what a phone does), every
// bar is within 8 levels of the source's true colour.
TEST(PictureColour, Bt709BarsComeOutAsBt601) {
    const QString bars =
        MakeClip("hdbars-709.mkv",
                 {"-f", "lavfi", "-i", "smptehdbars=s=1280x720:r=25:d=1", "-c:v", "mpeg4", "-q:v",
                  "1", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709"});
    ConversionParameters p = Mpeg4Qvga();
    p.VideoBitRate = 384000;
    const QString output = NewFolder("colour") + "/bars.3gp";
    ASSERT_EQ(Convert(bars, output, p), std::nullopt);
    const QByteArray truth = DecodedPicture(
        bars, "rgb24", 0.5, "scale=320:240:in_color_matrix=bt709:flags=area,format=rgb24");
    const QByteArray shown =
        DecodedPicture(output, "rgb24", 0.5, "scale=in_color_matrix=bt601,format=rgb24");
    ASSERT_EQ(truth.size(), 320 * 240 * 3);
    ASSERT_EQ(shown.size(), 320 * 240 * 3);
    // The centres of the seven top bars, averaged over 6x6 pixels.
    int worst = 0;
    for (int bar = 0; bar < 7; ++bar) {
        const int cx = 40 + bar * 240 / 7 + 17;  // a grey 1/8 first, then 7 bars in 3/4
        for (int channel = 0; channel < 3; ++channel) {
            int sumTruth = 0;
            int sumShown = 0;
            for (int y = 57; y < 63; ++y) {
                for (int x = cx - 3; x < cx + 3; ++x) {
                    sumTruth += static_cast<uint8_t>(truth[(y * 320 + x) * 3 + channel]);
                    sumShown += static_cast<uint8_t>(shown[(y * 320 + x) * 3 + channel]);
                }
            }
            worst = std::max(worst, std::abs(sumTruth - sumShown) / 36);
        }
    }
    EXPECT_LE(worst, 8);
}

// A 576i source (interlaced MPEG-2, top field first, moving pictures)
// converted at 720x576 comes out progressive.
TEST(PictureInterlace, InterlacedSourceComesOutProgressive) {
    const QString interlaced =
        MakeClip("interlaced-576i.mpg", {"-f", "lavfi", "-i", "testsrc2=s=720x576:r=50:d=2", "-vf",
                                         "tinterlace=mode=interleave_top,setfield=tff", "-c:v",
                                         "mpeg2video", "-flags", "+ilme+ildct", "-b:v", "6M"});
    ConversionParameters p = Mpeg4Qvga();
    p.Width = 720;
    p.Height = 576;
    p.FrameRateNumerator = 25;
    p.FrameRateDenominator = 1;
    p.VideoBitRate = 4000000;
    const QString output = NewFolder("interlace") + "/out.3gp";
    ASSERT_EQ(Convert(interlaced, output, p), std::nullopt);

    // idet's count over all pictures: "Multi frame detection: TFF: a BFF: b
    // Progressive: c Undetermined: d".
    const auto detect = [](const QString& path) {
        const ProcessResult r = testmedia::Run(
            KESTOVAR_FFMPEG,
            {"-v", "info", "-nostats", "-i", path, "-vf", "idet", "-an", "-f", "null", "-"});
        const QRegularExpressionMatch m =
            QRegularExpression(
                "Multi frame detection: TFF:\\s*(\\d+) BFF:\\s*(\\d+) "
                "Progressive:\\s*(\\d+)")
                .match(r.Err);
        EXPECT_TRUE(m.hasMatch()) << r.Err.toStdString();
        return std::array<int, 3>{m.captured(1).toInt(), m.captured(2).toInt(),
                                  m.captured(3).toInt()};
    };
    const std::array<int, 3> source = detect(interlaced);
    EXPECT_GT(source[0], 40);  // the source itself is seen as interlaced
    const std::array<int, 3> converted = detect(output);
    // idet is a statistical judge: a picture or two of fine moving detail may
    // still look combed to it (as after the ffmpeg program's own yadif).
    EXPECT_LE(converted[0] + converted[1], 5);
    EXPECT_GE(converted[2], 25);
    // One picture per frame slot, as for any source.
    EXPECT_EQ(Packets(output, 0).size(), 50u);

    // The deinterlaced pictures keep their times: a source red for one second
    // and blue for the next ends blue, not in slow motion.
    const QString switching =
        MakeClip("interlaced-red-blue.mpg",
                 {"-f", "lavfi", "-i", "color=c=red:s=720x576:r=25:d=1", "-f", "lavfi", "-i",
                  "color=c=blue:s=720x576:r=25:d=1", "-filter_complex",
                  "[0][1]concat=n=2:v=1:a=0,setfield=tff[v]", "-map", "[v]", "-c:v", "mpeg2video",
                  "-flags", "+ilme+ildct", "-b:v", "4M"});
    const QString small = NewFolder("interlace-times") + "/out.3gp";
    ASSERT_EQ(Convert(switching, small, Mpeg4Qvga()), std::nullopt);
    const QByteArray rgb =
        test_support::RunProgram(KESTOVAR_FFMPEG, {"-v", "error", "-i", small, "-vf", "scale=1:1",
                                                   "-f", "rawvideo", "-pix_fmt", "rgb24", "-"})
            .Out;
    ASSERT_GE(rgb.size(), 6);
    EXPECT_GT(static_cast<uint8_t>(rgb[0]), 150);               // first picture red
    EXPECT_GT(static_cast<uint8_t>(rgb[rgb.size() - 1]), 150);  // last picture blue
    EXPECT_LT(static_cast<uint8_t>(rgb[rgb.size() - 3]), 60);
}
