#include "PacketSink.h"

#include <new>

#include "EngineError.h"

namespace transcode {

bool ReceivePacket(AVCodecContext& encoder, const AVStream& stream, AVPacket& packet,
                   const char* encodeError) {
    const int result = AV.avcodec_receive_packet(&encoder, &packet);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return false;
    if (result < 0) throw DestinationError(encodeError, result);
    // Each picture fills one frame slot; players and the index need that length.
    if (packet.duration <= 0 && encoder.codec_type == AVMEDIA_TYPE_VIDEO) packet.duration = 1;
    AV.av_packet_rescale_ts(&packet, encoder.time_base, stream.time_base);
    packet.stream_index = stream.index;
    return true;
}

av::PacketPtr NewPacket() {
    av::PacketPtr packet(AV.av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    return packet;
}

}  // namespace transcode
