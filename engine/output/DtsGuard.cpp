#include "DtsGuard.h"

#include <string>

#include "EngineError.h"

namespace transcode {

void TDtsGuard::Check(AVPacket& packet, const char* writeError) {
    if (packet.dts == AV_NOPTS_VALUE || packet.stream_index < 0) return;
    const auto index = static_cast<std::size_t>(packet.stream_index);
    if (index >= LastDts.size()) LastDts.resize(index + 1, AV_NOPTS_VALUE);
    int64_t& last = LastDts[index];
    if (last != AV_NOPTS_VALUE && packet.dts <= last) {
        const int64_t next = last + 1;
        // A packet is never decoded after it is shown.
        if (packet.pts != AV_NOPTS_VALUE && packet.pts < next) {
            throw DestinationError(
                writeError, 0,
                "Time stamps out of order in stream " + std::to_string(packet.stream_index) + ": " +
                    std::to_string(packet.dts) + " after " + std::to_string(last));
        }
        packet.dts = next;
    }
    last = packet.dts;
}

}  // namespace transcode
