// The output's packet order: increasing times pass untouched, a repeated or
// backward DTS is moved after the previous one where the PTS allows it, and
// refused with a reason where it does not.
#include <gtest/gtest.h>

#include "DtsGuard.h"
#include "EngineError.h"
#include "PacketSink.h"

using transcode::TDtsGuard;

namespace {

av::PacketPtr Packet(int stream, int64_t pts, int64_t dts) {
    av::PacketPtr packet = transcode::NewPacket();
    packet->stream_index = stream;
    packet->pts = pts;
    packet->dts = dts;
    return packet;
}

}  // namespace

TEST(DtsGuard, CorrectsWhereItCanAndFailsWhereItCannot) {
    TDtsGuard guard;
    // Increasing times, two streams apart: untouched.
    for (int64_t t = 0; t < 5; ++t) {
        auto video = Packet(0, t + 1, t);
        guard.Check(*video, "video\n");
        EXPECT_EQ(video->dts, t);
        auto sound = Packet(1, t * 160, t * 160);
        guard.Check(*sound, "sound\n");
        EXPECT_EQ(sound->dts, t * 160);
    }
    // The video's last DTS was 4. A repeat with room before its PTS moves on.
    auto repeated = Packet(0, 9, 4);
    guard.Check(*repeated, "video\n");
    EXPECT_EQ(repeated->dts, 5);
    auto backward = Packet(0, 10, 2);
    guard.Check(*backward, "video\n");
    EXPECT_EQ(backward->dts, 6);
    // No room: the packet would be decoded after it is shown.
    auto impossible = Packet(0, 6, 6);
    try {
        guard.Check(*impossible, "Error while writing video frame\n");
        FAIL() << "a DTS that cannot follow was let through";
    } catch (const TEngineError& error) {
        EXPECT_EQ(error.FirstLine(), "Error while writing video frame\n");
        EXPECT_NE(error.Reason().find("out of order"), std::string::npos) << error.Reason();
    }
    // The other stream is judged on its own.
    auto sound = Packet(1, 800, 800);
    guard.Check(*sound, "sound\n");
    EXPECT_EQ(sound->dts, 800);
    // A packet without DTS is the muxer's to place.
    auto untimed = Packet(0, AV_NOPTS_VALUE, AV_NOPTS_VALUE);
    guard.Check(*untimed, "video\n");
    EXPECT_EQ(untimed->dts, AV_NOPTS_VALUE);
}
