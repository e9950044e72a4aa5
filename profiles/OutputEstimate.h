// The size an output file is expected to have, worked out before the clip is
// converted, for showing beside the choices that decide it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The bytes of an output of seconds with pictures and sound: the video
// bitrate (bit/s) and the sound's real AMR rate (12.2 kbit/s whatever the
// table's audio bitrate) over the length, plus the container's share. With a
// size limit (limitBytes > 0) the bitrates are made to fill it, so the limit
// is what to expect; none when the clip cannot fit in it. A length of 0 or
// less gives the container's share alone.
std::optional<int64_t> ExpectedOutputBytes(int64_t limitBytes, int32_t videoBitRate, double seconds,
                                           double frameRate);

// The seconds of a clip of lengthSeconds (0 or less: unknown) that are
// converted: from trimStart to trimEnd (0 or less: to the end), never past
// the clip's end.
double ConvertedLength(double lengthSeconds, double trimStart, double trimEnd);

// An expected size as the windows and the command line show it: "1.25 Mb"
// (units of 2^20 bytes), "up to 0.29 Mb" under a size limit, "does not fit".
// decimalPoint: the locale's.
std::string ExpectedSizeText(std::optional<int64_t> bytes, bool limited, char decimalPoint = '.');
