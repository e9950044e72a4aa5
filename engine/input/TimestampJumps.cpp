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

TTimestampJumps::TTimestampJumps(const AVFormatContext& input)
    : Enabled(input.iformat && (input.iformat->flags & AVFMT_TS_DISCONT)),
      Clocks(input.nb_streams) {}

bool TTimestampJumps::Breaks(int64_t dts, int64_t expected, int64_t last) {
    const int64_t delta = dts - expected;
    const bool back = last != AV_NOPTS_VALUE && dts + AV_TIME_BASE / 10 < last;
    return delta < -kThreshold || delta > kThreshold || back;
}

bool TTimestampJumps::Follow(AVPacket& packet, const AVStream& stream) {
    if (!Enabled || !PicturesOrSound(stream) || packet.dts == AV_NOPTS_VALUE) return false;
    const AVRational base = stream.time_base;
    // Time stamps beyond all reason are left alone (and every sum below fits).
    const int64_t raw = AV.av_rescale_q(packet.dts, base, kMicroseconds);
    if (!SaneMicroseconds(raw) ||
        (packet.pts != AV_NOPTS_VALUE &&
         !SaneMicroseconds(AV.av_rescale_q(packet.pts, base, kMicroseconds)))) {
        return false;
    }
    if (static_cast<std::size_t>(stream.index) >= Clocks.size()) Clocks.resize(stream.index + 1);
    StreamClock& clock = Clocks[stream.index];

    bool jumped = false;
    // A stream's first packet is measured against the file's latest one.
    const int64_t expected = clock.NextDts != AV_NOPTS_VALUE ? clock.NextDts : LastDts;
    if (expected != AV_NOPTS_VALUE && Breaks(raw + Offsets[clock.Span], expected, clock.LastDts)) {
        // The offset another stream already found for a later jump, where it
        // lets this stream go on; otherwise this packet shows a new jump.
        std::size_t span = clock.Span + 1;
        while (span < Offsets.size() && Breaks(raw + Offsets[span], expected, clock.LastDts)) {
            ++span;
        }
        if (span == Offsets.size()) {
            if (!SaneMicroseconds(expected - raw)) return false;
            Offsets.push_back(expected - raw);
            ++Jumps;
        }
        clock.Span = span;
        jumped = true;
    }
    const int64_t offset = Offsets[clock.Span];
    if (offset != 0) {
        const int64_t step = AV.av_rescale_q(offset, kMicroseconds, base);
        packet.dts += step;
        if (packet.pts != AV_NOPTS_VALUE) packet.pts += step;
    }
    const int64_t dts = raw + offset;
    clock.LastDts = dts;
    // Where the container gives no packet length, a picture lasts one frame of
    // the stream's rate, so that the next recording's first picture follows
    // the last one instead of replacing it.
    int64_t duration =
        packet.duration > 0 ? AV.av_rescale_q(packet.duration, base, kMicroseconds) : 0;
    const AVRational rate = stream.avg_frame_rate;
    if (duration <= 0 && stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && rate.num > 0 &&
        rate.den > 0) {
        duration = AV.av_rescale_q(1, av_inv_q(rate), kMicroseconds);
    }
    clock.NextDts = dts + (SaneMicroseconds(duration) ? duration : 0);
    LastDts = dts;
    return jumped;
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
    TTimestampJumps jumps(input);
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
