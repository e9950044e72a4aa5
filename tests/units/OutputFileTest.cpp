// The output file's two streams reach the muxer in the order of their times,
// whatever order the converting thread hands their packets over in: the
// encoder's thread returns pictures late or early, the sound may come far
// ahead of them or far behind, and the file must be the same every time.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "Dynamicavimport.h"
#include "OutputFile.h"
#include "PacketSink.h"

using transcode::TOutputFile;

namespace {

// 15 s: longer than the muxer's own interleaving waits (10 s) before it
// writes one stream alone.
constexpr int kPictures = 225;  // at 15 pictures a second
constexpr int kSounds = 750;    // 20 ms AMR frames

// The payloads stay in place for the whole test; the muxer copies them.
uint8_t PictureBytes[40] = {0, 0, 0x80, 2};
uint8_t SoundBytes[32] = {0x3c};  // one 12.2 kbit/s AMR frame

av::PacketPtr PicturePacket(int number) {
    av::PacketPtr packet = transcode::NewPacket();
    packet->data = PictureBytes;
    packet->size = sizeof PictureBytes;
    packet->stream_index = 0;
    packet->pts = packet->dts = number;
    packet->duration = 1;
    if (number % 12 == 0) packet->flags |= AV_PKT_FLAG_KEY;
    return packet;
}

av::PacketPtr SoundPacket(int number) {
    av::PacketPtr packet = transcode::NewPacket();
    packet->data = SoundBytes;
    packet->size = sizeof SoundBytes;
    packet->stream_index = 1;
    packet->pts = packet->dts = static_cast<int64_t>(number) * 160;
    packet->duration = 160;
    packet->flags |= AV_PKT_FLAG_KEY;
    return packet;
}

// Writes the 15 s in the order given: 'p' hands over the next picture, 's' the
// next sound packet. Gives the finished file's bytes.
QByteArray WriteInOrder(const QString& folder, const std::string& order) {
    const std::string path = (folder + "/order.3gp").toStdString();
    QFile::remove(QString::fromStdString(path));
    TOutputFile output;
    output.Create(path);
    AVStream& pictures = output.NewStream(0);
    pictures.time_base = AVRational{1, 15};
    pictures.codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    pictures.codecpar->codec_id = AV_CODEC_ID_H263;
    pictures.codecpar->width = 176;
    pictures.codecpar->height = 144;
    AVStream& sound = output.NewStream(1);
    sound.time_base = AVRational{1, 8000};
    sound.codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    sound.codecpar->codec_id = AV_CODEC_ID_AMR_NB;
    sound.codecpar->sample_rate = 8000;
    AV.av_channel_layout_default(&sound.codecpar->ch_layout, 1);
    output.Open(path);
    output.InterleavePicturesAndSound(0, 1);
    int picture = 0;
    int sounds = 0;
    for (const char kind : order) {
        av::PacketPtr packet = kind == 'p' ? PicturePacket(picture++) : SoundPacket(sounds++);
        // The muxer chose its own time bases when it wrote the header.
        AV.av_packet_rescale_ts(packet.get(), kind == 'p' ? AVRational{1, 15} : AVRational{1, 8000},
                                kind == 'p' ? pictures.time_base : sound.time_base);
        output.WritePacket(*packet, "Error while writing\n");
        if (picture == kPictures && kind == 'p') output.EndStream(0);
        if (sounds == kSounds && kind == 's') output.EndStream(1);
    }
    output.Finish();
    output.Commit();
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string Repeat(const std::string& part, int times) {
    std::string whole;
    for (int i = 0; i < times; ++i) whole += part;
    return whole;
}

}  // namespace

TEST(OutputFile, TheOrderOfArrivalLeavesTheFileAsItIs) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // The same packets: pictures all before the sound, the sound all before
    // the pictures, and in the bursts the two threads make.
    const std::string picturesFirst = std::string(kPictures, 'p') + std::string(kSounds, 's');
    const std::string soundFirst = std::string(kSounds, 's') + std::string(kPictures, 'p');
    const std::string bursts = Repeat(std::string(9, 'p') + std::string(30, 's'), 25);
    const QByteArray first = WriteInOrder(folder.path(), picturesFirst);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(WriteInOrder(folder.path(), soundFirst), first);
    EXPECT_EQ(WriteInOrder(folder.path(), bursts), first);

    // And the file holds them in the order of their times.
    const std::string path = (folder.path() + "/order.3gp").toStdString();
    AVFormatContext* input = nullptr;
    ASSERT_EQ(AV.avformat_open_input(&input, path.c_str(), nullptr, nullptr), 0);
    av::PacketPtr packet = transcode::NewPacket();
    double lastTime = -1;
    int64_t lastPosition = -1;
    int packets = 0;
    while (AV.av_read_frame(input, packet.get()) >= 0) {
        const AVStream& stream = *input->streams[packet->stream_index];
        const double time = packet->dts * av_q2d(stream.time_base);
        EXPECT_GT(packet->pos, lastPosition);
        EXPECT_GE(time, lastTime - 1e-9) << "packet " << packets << " at " << packet->pos;
        lastTime = time;
        lastPosition = packet->pos;
        ++packets;
        AV.av_packet_unref(packet.get());
    }
    AV.avformat_close_input(&input);
    EXPECT_EQ(packets, kPictures + kSounds);
}
