// The transcoder's own small pieces: the MPEG-4 and H.263 level tables, the turning of
// pictures and the colour conversion.
#include <gtest/gtest.h>

#include "AvPtr.h"
#include "ColourConversion.h"
#include "H263Level.h"
#include "TranscodeRateControl.h"
#include "TranscodeRotation.h"

using transcode::SimpleProfileLevel;

TEST(SimpleProfileLevel, LowestLevelThatFitsSizeRateAndBitrate) {
    const AVRational fps15{15, 1};
    const AVRational fps14985{14985, 1000};
    const AVRational fps25{25, 1};
    EXPECT_EQ(SimpleProfileLevel(176, 144, fps15, 64000), 1);
    EXPECT_EQ(SimpleProfileLevel(176, 144, fps14985, 64000), 1);
    EXPECT_EQ(SimpleProfileLevel(176, 144, fps15, 64001), 2);      // bitrate
    EXPECT_EQ(SimpleProfileLevel(176, 144, fps25, 64000), 2);      // macroblock rate
    EXPECT_EQ(SimpleProfileLevel(320, 240, fps14985, 128000), 2);  // 300 macroblocks
    EXPECT_EQ(SimpleProfileLevel(320, 240, fps14985, 192000), 3);
    EXPECT_EQ(SimpleProfileLevel(352, 288, fps25, 384000), 3);
    EXPECT_EQ(SimpleProfileLevel(352, 288, AVRational{30, 1}, 384000), 3);
    EXPECT_EQ(SimpleProfileLevel(352, 288, AVRational{3001, 100}, 384000), 4);
    EXPECT_EQ(SimpleProfileLevel(640, 480, AVRational{30, 1}, 2000000), 4);
    EXPECT_EQ(SimpleProfileLevel(720, 576, fps25, 6000000), 5);
    EXPECT_EQ(SimpleProfileLevel(1280, 720, AVRational{30, 1}, 10000000), 6);
    EXPECT_EQ(SimpleProfileLevel(1920, 1080, AVRational{30, 1}, 20000000), 6);  // none fits
}

TEST(H263Level, FirstLevelInTheOrderThatHoldsSizeRateAndBitrate) {
    using transcode::H263Level;
    const AVRational fps14985{14985, 1000};
    const AVRational fps25{25, 1};
    const AVRational fps2997{2997, 100};
    EXPECT_EQ(H263Level(128, 96, fps14985, 64000), 10);
    EXPECT_EQ(H263Level(176, 144, AVRational{15, 1}, 64000), 20);  // above 30000/2002 fps
    EXPECT_EQ(H263Level(176, 144, fps14985, 128000), 45);          // 45 before 20
    EXPECT_EQ(H263Level(176, 144, fps2997, 128000), 20);
    EXPECT_EQ(H263Level(352, 288, fps14985, 64000), 20);
    EXPECT_EQ(H263Level(352, 288, fps25, 128000), 30);
    EXPECT_EQ(H263Level(176, 144, fps25, 384001), 40);
    EXPECT_EQ(H263Level(704, 576, fps25, 256000), 70);
    EXPECT_EQ(H263Level(1408, 1152, fps25, 256000), 70);  // none fits
}

TEST(RateControlBuffer, HalfASecondWithinTheLevel) {
    EXPECT_EQ(transcode::RateControlBuffer(122000, 0), 61000);
    EXPECT_EQ(transcode::RateControlBuffer(64000, 1), 32000);
    EXPECT_EQ(transcode::RateControlBuffer(2000000, 3), 40 * 16384);
}

namespace {

// A 4:2:0 picture whose samples number their own position.
av::FramePtr NumberedPicture(int width, int height) {
    av::FramePtr picture(AV.av_frame_alloc());
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width;
    picture->height = height;
    EXPECT_EQ(AV.av_frame_get_buffer(picture.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane) {
        const int w = plane ? (width + 1) / 2 : width;
        const int h = plane ? (height + 1) / 2 : height;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                picture->data[plane][y * picture->linesize[plane] + x] = y * 16 + x;
        }
    }
    return picture;
}

int At(const AVFrame& picture, int plane, int x, int y) {
    return picture.data[plane][y * picture.linesize[plane] + x];
}

}  // namespace

TEST(RotatePicture, TurnsEveryPlaneClockwise) {
    ASSERT_TRUE(AV.Problems().empty());
    const av::FramePtr source = NumberedPicture(6, 4);  // chroma 3 x 2
    for (int rotation : {90, 180, 270}) {
        SCOPED_TRACE(rotation);
        const bool swap = transcode::SwapsSides(rotation);
        av::FramePtr turned = NumberedPicture(swap ? 4 : 6, swap ? 6 : 4);
        transcode::RotatePicture(*source, *turned, rotation);
        for (int plane = 0; plane < 3; ++plane) {
            const int w = plane ? 3 : 6;
            const int h = plane ? 2 : 4;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    // Where source sample (x, y) lands.
                    int tx = x, ty = y;
                    if (rotation == 90) tx = h - 1 - y, ty = x;
                    if (rotation == 180) tx = w - 1 - x, ty = h - 1 - y;
                    if (rotation == 270) tx = y, ty = w - 1 - x;
                    EXPECT_EQ(At(*turned, plane, tx, ty), At(*source, plane, x, y))
                        << "plane " << plane << " sample " << x << "," << y;
                }
            }
        }
    }
}

// Which sources are converted, and what full range and the BT.709 matrix
// become: black and white at 16 and 235, BT.709's pure red at BT.601's.
TEST(ColourConversion, FullRangeAndHdMatrixBecomeBt601Limited) {
    ASSERT_TRUE(AV.Problems().empty());
    av::FramePtr picture = NumberedPicture(4, 2);  // two 2x2 blocks
    const auto convert = [&](int format, AVColorSpace space, AVColorRange range, int height) {
        picture->format = format;
        picture->colorspace = space;
        picture->color_range = range;
        picture->height = height;
        return transcode::ColourConversionFor(*picture);
    };
    EXPECT_FALSE(convert(AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, 576));
    EXPECT_FALSE(convert(AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, AVCOL_RANGE_MPEG, 1080));
    EXPECT_FALSE(convert(AV_PIX_FMT_RGB24, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_JPEG, 720));
    EXPECT_TRUE(convert(AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, 720));
    EXPECT_TRUE(convert(AV_PIX_FMT_YUV420P, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_MPEG, 480));
    EXPECT_EQ(transcode::ScalerSourceFormat(AV_PIX_FMT_YUVJ420P), AV_PIX_FMT_YUV420P);

    const auto fill = [&](int block, int y, int cb, int cr) {
        for (int row = 0; row < 2; ++row) {
            picture->data[0][row * picture->linesize[0] + 2 * block] = y;
            picture->data[0][row * picture->linesize[0] + 2 * block + 1] = y;
        }
        picture->data[1][block] = cb;
        picture->data[2][block] = cr;
    };
    // Full-range JPEG pictures: black and white.
    const auto full = convert(AV_PIX_FMT_YUVJ420P, AVCOL_SPC_BT470BG, AVCOL_RANGE_UNSPECIFIED, 2);
    ASSERT_TRUE(full);
    fill(0, 0, 128, 128);
    fill(1, 255, 128, 128);
    transcode::ConvertColours(*full, *picture, 0, 0, 4, 2);
    EXPECT_EQ(At(*picture, 0, 0, 1), 16);
    EXPECT_EQ(At(*picture, 0, 3, 1), 235);
    EXPECT_EQ(At(*picture, 1, 1, 0), 128);
    // Limited-range BT.709 red (R'G'B' 1, 0, 0) is Y 63, Cb 102, Cr 240;
    // BT.601's is Y 81, Cb 90, Cr 240.
    const auto hd = convert(AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 2);
    ASSERT_TRUE(hd);
    fill(0, 63, 102, 240);
    fill(1, 16, 128, 128);
    transcode::ConvertColours(*hd, *picture, 0, 0, 4, 2);
    EXPECT_NEAR(At(*picture, 0, 0, 0), 81, 1);
    EXPECT_NEAR(At(*picture, 1, 0, 0), 90, 1);
    EXPECT_NEAR(At(*picture, 2, 0, 0), 240, 1);
    EXPECT_EQ(At(*picture, 0, 2, 0), 16);
}
