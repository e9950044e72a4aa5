#include "TimestampJumps.h"

#include <algorithm>

#include "AvPtr.h"

namespace {

constexpr AVRational kMicroseconds{1, AV_TIME_BASE};

bool PicturesOrSound(const AVStream& stream) {
    const AVMediaType type = stream.codecpar->codec_type;
    return type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO;
}

}  // namespace

TimestampJumps::TimestampJumps(const AVFormatContext& input)
    : Enabled(input.iformat && (input.iformat->flags & AVFMT_TS_DISCONT)),
      Clocks(input.nb_streams) {}

void TimestampJumps::Follow(AVPacket& packet, const AVStream& stream) {
    if (!Enabled || !PicturesOrSound(stream) || packet.dts == AV_NOPTS_VALUE) return;
    const AVRational base = stream.time_base;
    // Time stamps beyond all reason are left alone (and every sum below fits).
    if (!SaneMicroseconds(AV.av_rescale_q(packet.dts, base, kMicroseconds)) ||
        (packet.pts != AV_NOPTS_VALUE &&
         !SaneMicroseconds(AV.av_rescale_q(packet.pts, base, kMicroseconds)))) {
        return;
    }
    if (static_cast<std::size_t>(stream.index) >= Clocks.size()) Clocks.resize(stream.index + 1);
    StreamClock& clock = Clocks[stream.index];

    const auto shift = [&](int64_t microseconds) {
        const int64_t step = AV.av_rescale_q(microseconds, kMicroseconds, base);
        packet.dts += step;
        if (packet.pts != AV_NOPTS_VALUE) packet.pts += step;
    };
    shift(Offset);
    int64_t dts = AV.av_rescale_q(packet.dts, base, kMicroseconds);
    // A stream's first packet is measured against the file's latest one.
    const int64_t expected = clock.NextDts != AV_NOPTS_VALUE ? clock.NextDts : LastDts;
    if (expected != AV_NOPTS_VALUE) {
        const int64_t delta = dts - expected;
        const bool back =
            clock.LastDts != AV_NOPTS_VALUE && dts + AV_TIME_BASE / 10 < clock.LastDts;
        if (delta < -kThreshold || delta > kThreshold || back) {
            Offset -= delta;
            shift(-delta);
            dts -= delta;
            ++Jumps;
        }
    }
    clock.LastDts = dts;
    const int64_t duration =
        packet.duration > 0 ? AV.av_rescale_q(packet.duration, base, kMicroseconds) : 0;
    clock.NextDts = dts + (SaneMicroseconds(duration) ? duration : 0);
    LastDts = dts;
}

int64_t MeasureContentDuration(AVFormatContext& input) {
    // The first picture stream, else the first sound stream; only it is read.
    int chosen = -1;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVStream& stream = *input.streams[i];
        if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            chosen = static_cast<int>(i);
            break;
        }
        if (chosen < 0 && stream.codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            chosen = static_cast<int>(i);
        }
    }
    if (chosen < 0) return AV_NOPTS_VALUE;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (static_cast<int>(i) != chosen) input.streams[i]->discard = AVDISCARD_ALL;
    }
    const AVStream& stream = *input.streams[chosen];
    TimestampJumps jumps(input);
    av::PacketPtr packet(AV.av_packet_alloc());
    if (!packet) return AV_NOPTS_VALUE;
    int64_t first = AV_NOPTS_VALUE;
    int64_t end = AV_NOPTS_VALUE;
    while (AV.av_read_frame(&input, packet.get()) >= 0) {
        if (packet->stream_index == chosen) {
            jumps.Follow(*packet, stream);
            const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const int64_t start = stamp != AV_NOPTS_VALUE
                                      ? AV.av_rescale_q(stamp, stream.time_base, kMicroseconds)
                                      : AV_NOPTS_VALUE;
            const int64_t length = AV.av_rescale_q(std::max<int64_t>(packet->duration, 0),
                                                   stream.time_base, kMicroseconds);
            if (SaneMicroseconds(start)) {
                first = first == AV_NOPTS_VALUE ? start : std::min(first, start);
                const int64_t stop = start + (SaneMicroseconds(length) ? length : 0);
                end = end == AV_NOPTS_VALUE ? stop : std::max(end, stop);
            }
        }
        AV.av_packet_unref(packet.get());
    }
    if (first == AV_NOPTS_VALUE) return AV_NOPTS_VALUE;
    return end - first;
}
