// The preview still: one picture of a source through the video path's own
// fit, scaling and colours, at the output's size, taken at the asked time.
#include <gtest/gtest.h>

#include <stop_token>

#include "EngineError.h"
#include "StillRenderer.h"
#include "TestMedia.h"

using namespace testmedia;
using transcode::RenderStill;
using transcode::StillImage;
using transcode::StillTime;

namespace {

struct Rgb {
    int R = 0, G = 0, B = 0;
};

Rgb PixelAt(const StillImage& still, int x, int y) {
    const size_t at = (static_cast<size_t>(y) * still.Width + x) * 3;
    return {still.Rgb[at], still.Rgb[at + 1], still.Rgb[at + 2]};
}

bool IsRed(Rgb p) {
    return p.R > 180 && p.G < 80 && p.B < 80;
}
bool IsBlue(Rgb p) {
    return p.B > 180 && p.R < 80 && p.G < 80;
}
bool IsWhite(Rgb p) {
    return p.R > 200 && p.G > 200 && p.B > 200;
}
bool IsBlack(Rgb p) {
    return p.R < 30 && p.G < 30 && p.B < 30;
}

// 16:9, white with a red stripe down the left 20 of its 320 columns, which a
// crop into 11:9 cuts off and a stretch keeps.
QString StripedWideClip() {
    return MakeClip("still-striped.mp4",
                    {"-f", "lavfi", "-i",
                     "color=c=white:s=320x180:r=25:d=1,drawbox=x=0:y=0:w=20:h=180:color=red:t=fill",
                     "-c:v", "mpeg4", "-q:v", "2", "-pix_fmt", "yuv420p"});
}

// Red for half a second, then blue, with a key picture only every 2 seconds.
QString RedThenBlueClip() {
    return MakeClip("still-red-blue.mp4",
                    {"-f", "lavfi", "-i",
                     "color=c=red:s=160x120:r=25:d=0.5[a];color=c=blue:s=160x120:r=25:d=4.5[b];"
                     "[a][b]concat=n=2:v=1:a=0",
                     "-c:v", "mpeg4", "-q:v", "2", "-g", "50", "-pix_fmt", "yuv420p"});
}

ConversionParameters WithFit(PictureFitMode fit) {
    ConversionParameters parameters = H263Qcif();
    parameters.PictureFit = fit;
    return parameters;
}

}  // namespace

TEST(StillRenderer, EachFitShowsThePictureAsTheOutputWould) {
    const std::string clip = StripedWideClip().toStdString();
    const StillImage stretched = RenderStill(WithFit(PictureFitMode::Stretch), clip, 0.5);
    const StillImage barred = RenderStill(WithFit(PictureFitMode::BlackBars), clip, 0.5);
    const StillImage cropped = RenderStill(WithFit(PictureFitMode::Crop), clip, 0.5);
    for (const StillImage* still : {&stretched, &barred, &cropped}) {
        ASSERT_EQ(still->Width, 176);
        ASSERT_EQ(still->Height, 144);
        ASSERT_EQ(still->Rgb.size(), 176u * 144u * 3u);
    }
    // Stretch: the stripe at the left edge, white to the top.
    EXPECT_TRUE(IsRed(PixelAt(stretched, 2, 72)));
    EXPECT_TRUE(IsWhite(PixelAt(stretched, 88, 2)));
    // Black bars: the stripe kept, black above and below the 176 x 99 picture.
    EXPECT_TRUE(IsRed(PixelAt(barred, 2, 72)));
    EXPECT_TRUE(IsBlack(PixelAt(barred, 88, 2)));
    EXPECT_TRUE(IsBlack(PixelAt(barred, 88, 141)));
    EXPECT_TRUE(IsWhite(PixelAt(barred, 88, 72)));
    // Crop: 25 columns of the source cut from each side, the stripe with them.
    EXPECT_TRUE(IsWhite(PixelAt(cropped, 2, 72)));
    EXPECT_TRUE(IsWhite(PixelAt(cropped, 88, 2)));
}

TEST(StillRenderer, TakesThePictureShownAtTheTime) {
    const std::string clip = RedThenBlueClip().toStdString();
    const ConversionParameters parameters = WithFit(PictureFitMode::Stretch);
    EXPECT_TRUE(IsRed(PixelAt(RenderStill(parameters, clip, 0.2), 88, 72)));
    // Between key pictures: the decoder starts at the one before.
    EXPECT_TRUE(IsBlue(PixelAt(RenderStill(parameters, clip, 1.5), 88, 72)));
    // Past the end: the last picture.
    EXPECT_TRUE(IsBlue(PixelAt(RenderStill(parameters, clip, 60), 88, 72)));
    // A tenth into the part converted.
    EXPECT_DOUBLE_EQ(StillTime(5.0, {}), 0.5);
    EXPECT_DOUBLE_EQ(StillTime(5.0, {2.0, 4.0}), 2.2);
    EXPECT_DOUBLE_EQ(StillTime(5.0, {2.0, 0}), 2.3);
    EXPECT_DOUBLE_EQ(StillTime(0, {}), 0);
}

TEST(StillRenderer, NothingWithoutPicturesOrWhenStopped) {
    const QString sound =
        MakeClip("still-sound.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=1"});
    EXPECT_TRUE(RenderStill(H263Qcif(), sound.toStdString(), 0.1).IsEmpty());

    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(
        RenderStill(H263Qcif(), RedThenBlueClip().toStdString(), 1.0, stop.get_token()).IsEmpty());

    const std::string missing = (WorkFolder() + "/no such clip.avi").toStdString();
    try {
        RenderStill(H263Qcif(), missing, 0);
        FAIL() << "a missing source gave a still";
    } catch (const TEngineError& error) {
        EXPECT_EQ(error.FirstLine(), "Could not open source file\n");
        EXPECT_EQ(error.Path(), missing);
    }
}
