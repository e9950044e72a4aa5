// Which of a source's pictures no output frame will show. A source at more
// pictures per second than the phone's rate has some that fall between two
// output frames; those that no other picture refers to need not be decoded at
// all, which on a 30 fps source for a 15 fps phone saves a good part of the
// decoding. The judgement is made from the packet's own times before it is
// decoded, and only where it is certain: the picture starts where one already
// sent ends, a later picture has already been sent (so it is not the last
// one, which is held to the end), and no output frame starts within it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace transcode {

class TUnshownPictures {
public:
    // Codecs whose packets carry one picture each and whose decoders leave
    // out unreferenced pictures without harm to the others.
    static bool Applies(AVCodecID codec);

    // True when the packet's picture (duration long, in the stream's time
    // base) would fill no output frame of slotBase length counted from
    // videoStart.
    bool CanLeaveOut(const AVPacket& packet, int64_t duration, int64_t videoStart,
                     AVRational timeBase, AVRational slotBase) const;
    // Notes a packet handed to the decoder.
    void Sent(const AVPacket& packet, int64_t duration);

private:
    static constexpr size_t kRemembered = 16;
    std::array<int64_t, kRemembered> RecentEnds{};  // ends of the latest pictures sent
    size_t Remembered = 0;
    size_t Next = 0;
    int64_t LatestStart = AV_NOPTS_VALUE;  // the latest start of any picture sent
};

}  // namespace transcode
