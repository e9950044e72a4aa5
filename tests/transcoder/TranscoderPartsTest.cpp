// The transcoder's own small pieces: the MPEG-4 and H.263 level tables and
// the turning of pictures.
#include <gtest/gtest.h>

#include "AvPtr.h"
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
