// Time stamps that jump or start again, in the formats that allow it (MPEG
// transport and program streams: recordings joined with `cat`, broadcast
// captures). The container's duration is meaningless for such files; the
// packets are moved so that each continues from where its stream left off,
// as the ffmpeg program does, and the content's length is measured by reading.
#pragma once

#include <cstdint>
#include <vector>

#include "Dynamicavimport.h"

class TTimestampJumps {
public:
    // A jump of more than this from the time a stream's next packet is
    // expected at is taken for a discontinuity (the ffmpeg program's
    // dts_delta_threshold), as is any step back of more than a tenth of a second.
    static constexpr int64_t kThreshold = 10 * AV_TIME_BASE;

    explicit TTimestampJumps(const AVFormatContext& input);

    // True when the input's format allows discontinuities: its duration and
    // its time stamps are then not to be trusted as they stand.
    bool Possible() const { return Enabled; }
    // Moves the packet's time stamps by its stream's offset and, where they
    // jump, by the offset another stream found for that jump or else by a new
    // one. Packets of streams other than pictures and sound, and every packet
    // of a format without discontinuities, stay as they are. True when the
    // stream's time goes on from a jump at this packet.
    bool Follow(AVPacket& packet, const AVStream& stream);
    // True once a jump has been followed.
    bool Followed() const { return Jumps > 0; }

private:
    struct StreamClock {
        int64_t NextDts = AV_NOPTS_VALUE;  // where its next packet should start, microseconds
        int64_t LastDts = AV_NOPTS_VALUE;
        std::size_t Span = 0;  // the offset its packets take, an index into Offsets
    };
    // True when a packet at dts breaks from a stream expected at expected
    // whose latest packet was at last (microseconds, moved).
    static bool Breaks(int64_t dts, int64_t expected, int64_t last);

    bool Enabled = false;
    // The offset of each stretch of the file between jumps, in the order the
    // jumps were found, microseconds; the first stretch keeps its times.
    std::vector<int64_t> Offsets{0};
    int64_t LastDts = AV_NOPTS_VALUE;  // the latest packet of any stream
    int32_t Jumps = 0;
    std::vector<StreamClock> Clocks;  // by stream index
};

// The length in microseconds of the pictures (or, without pictures, the
// sound) of an input whose format allows discontinuities, measured by reading
// it to its end with the jumps followed; AV_NOPTS_VALUE when nothing tells.
// The input is read on from where it stands; it is of no further use after.
int64_t MeasureContentDuration(AVFormatContext& input);

// A time in microseconds that sums of such times cannot overflow with: within
// 35 years either way. Damaged files carry any number in their time stamps;
// times beyond this are taken for unknown.
inline bool SaneMicroseconds(int64_t time) {
    constexpr int64_t kLimit = int64_t{1} << 50;
    return time > -kLimit && time < kLimit;
}
