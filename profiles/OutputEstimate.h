// The size an output file is expected to have, worked out before the clip is
// converted, for showing beside the choices that decide it.
#pragma once

#include <cstdint>
#include <optional>

// The bytes of an output of seconds with pictures and sound: the video
// bitrate (bit/s) and the sound's real AMR rate (12.2 kbit/s whatever the
// table's audio bitrate) over the length, plus the container's share. With a
// size limit (limitBytes > 0) the bitrates are made to fill it, so the limit
// is what to expect; none when the clip cannot fit in it. A length of 0 or
// less gives the container's share alone.
std::optional<int64_t> ExpectedOutputBytes(int64_t limitBytes, int32_t videoBitRate, double seconds,
                                           double frameRate);
