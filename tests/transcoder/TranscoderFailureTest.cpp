// Every failure with its message at its point; a failed file leaves no
// temporary file behind and never harms an existing output.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <QFile>
#include <QFileInfo>
#include <csignal>

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
    EXPECT_EQ(
        Convert(folder + "/nothing.avi", folder + "/nothing.3gp"),
        ("Could not open source file\nNo such file or directory: " + folder + "/nothing.avi\n")
            .toStdString());
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}

// MPEG-4 pictures in an AVI file whose four-character code is changed to
// another; the codec a player would pick then follows the code.
static QString RetaggedClip(const QString& name, const QByteArray& tag) {
    const QString plain =
        MakeClip("retag.avi", {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=2", "-f",
                               "lavfi", "-i", "sine=duration=2", "-c:v", "mpeg4", "-c:a", "mp2"});
    QByteArray data = ReadAll(plain);
    QByteArray head = data.left(4096);
    EXPECT_EQ(head.count("FMP4"), 2);
    head.replace("FMP4", tag);
    data.replace(0, head.size(), head);
    const QString path = WorkFolder() + "/sources/" + name;
    WriteAll(path, data);
    return path;
}

TEST_F(TranscoderFailureTest, UnknownVideoCodec) {
    const QString source = RetaggedClip("unknown-codec.avi", "QQQQ");
    const QString folder = NewFolder("unknown-codec");
    EXPECT_EQ(
        Convert(source, folder + "/out.3gp"),
        ("Codec not found\nNo decoder for this stream's format: " + source + "\n").toStdString());
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}

TEST_F(TranscoderFailureTest, UnwritableFolder) {
    const QString folder = NewFolder("unwritable") + "/not-there";
    EXPECT_EQ(
        Convert(GoodSource(), folder + "/good.3gp", H263Qcif()),
        ("Could not open destination file\nNo such file or directory: " + folder + "/good.3gp\n")
            .toStdString());
    EXPECT_FALSE(QFileInfo::exists(folder));
}

// AMR narrow-band is 8000 Hz mono only; the encoder refuses anything else.
TEST_F(TranscoderFailureTest, SoundTheEncoderRefuses) {
    const QString folder = NewFolder("refused");
    ConversionParameters rate = H263Qcif();
    rate.SampleRate = 11025;
    const std::string refused =
        ("Could not open out audio codec\nFunction not implemented: " + folder + "/good.3gp\n")
            .toStdString();
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", rate), refused);
    ConversionParameters stereo = H263Qcif();
    stereo.Channels = 2;
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", stereo), refused);
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}

// A picture size H.263 cannot code is refused by its encoder.
TEST_F(TranscoderFailureTest, PictureSizeTheEncoderRefuses) {
    const QString folder = NewFolder("size");
    ConversionParameters p = H263Qcif();
    p.Width = 320;
    p.Height = 240;
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", p),
              ("Could not open out video codec\nInvalid argument: " + folder + "/good.3gp\n")
                  .toStdString());
    p.Width = 0;
    EXPECT_EQ(Convert(GoodSource(), folder + "/good.3gp", p)
                  .value_or("")
                  .rfind("Invalid output format parameters\n", 0),
              0u);
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
    EXPECT_EQ(Convert(path, path, H263Qcif()),
              ("Source and destination are the same file\nThe output would replace the source: " +
               path + "\n")
                  .toStdString());
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(FilesIn(folder), QStringList{"clip.3gp"});
}

// Pictures the decoder rejects: the file fails after its output was opened;
// the temporary file goes and an existing output of that name stays.
TEST_F(TranscoderFailureTest, DecodingErrorKeepsExistingOutput) {
    const QString source = RetaggedClip("not-jpeg.avi", "MJPG");
    const QString folder = NewFolder("broken");
    const QString output = folder + "/broken.3gp";
    WriteAll(output, "an older conversion");
    // Not one picture decodes: the message says so under its first line.
    const auto error = Convert(source, output, H263Qcif());
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->starts_with("Error while decoding frame \nNo picture could be decoded"))
        << *error;
    EXPECT_EQ(ReadAll(output), "an older conversion");
    EXPECT_EQ(FilesIn(folder), QStringList{"broken.3gp"});
}

#ifndef _WIN32  // a file size limit (setrlimit)
// The file system refuses more bytes part of the way through (a full disk, a
// file-size limit): the pictures are then being written from the encoder's own
// thread while the sound is written from the converting one. Whichever meets
// the refusal, the clip fails with a writing error and leaves nothing behind.
TEST_F(TranscoderFailureTest, WritingRefusedHalfWay) {
    const QString source = MakeClip(
        "busy.mp4", {"-f", "lavfi", "-i", "testsrc2=size=352x288:rate=25:duration=6", "-f", "lavfi",
                     "-i", "sine=duration=6", "-c:v", "libx264", "-pix_fmt", "yuv420p"});
    const QString folder = NewFolder("refused-write");
    ConversionParameters p = H263Qcif();
    p.VideoBitRate = 384000;
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit limited = before;
    limited.rlim_cur = 60 * 1024;
    const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::optional<std::string> failure = Convert(source, folder + "/busy.3gp", p);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("Error while writing"), std::string::npos) << *failure;
    EXPECT_NE(failure->find("File too large"), std::string::npos) << *failure;
    EXPECT_TRUE(FilesIn(folder).isEmpty());
}
#endif
