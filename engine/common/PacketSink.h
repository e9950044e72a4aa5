// Where the encoders' packets go. The output file is its one writer: every
// packet reaches the muxer from the converting thread, the video encoder's
// own thread handing its packets back first (TEncoderThread). Each stream's
// end is stated, never implied by the order the paths finish in.
#pragma once

#include "AvPtr.h"

namespace transcode {

class TPacketSink {
public:
    virtual ~TPacketSink() = default;
    // Writes the packet, its times in its stream's time base and its stream
    // index set, and empties it. Throws TEngineError writeError with the reason.
    virtual void WritePacket(AVPacket& packet, const char* writeError) = 0;
    // No more packets come for the stream.
    virtual void EndStream(int streamIndex) = 0;
};

// Takes the encoder's next packet into packet, its duration set (a picture
// fills one frame slot), its times moved into the stream's time base and its
// stream index set; false when the encoder has none ready (or has ended).
// Throws DestinationError encodeError when the encoder fails.
bool ReceivePacket(AVCodecContext& encoder, const AVStream& stream, AVPacket& packet,
                   const char* encodeError);

// An empty packet; throws std::bad_alloc.
av::PacketPtr NewPacket();

}  // namespace transcode
