// The order of each output stream's packets. The muxer needs every stream's
// decoding times (DTS) strictly increasing; a packet whose DTS is not after
// its stream's previous one is moved to just after it where its presentation
// time (PTS) allows, and refused with a reason where it does not.
#pragma once

#include <cstdint>
#include <vector>

#include "AvPtr.h"

namespace transcode {

class TDtsGuard {
public:
    // Corrects the packet's DTS, or throws DestinationError writeError with
    // the reason when it cannot be. A packet without DTS is left to the muxer.
    void Check(AVPacket& packet, const char* writeError);

private:
    std::vector<int64_t> LastDts;  // per stream index; AV_NOPTS_VALUE before the first
};

}  // namespace transcode
