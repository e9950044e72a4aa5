// The H.263 profile and level a .3gp file declares for its video. The muxer
// always writes level 10 into the H.263 sample entry; a phone that trusts it
// and refuses anything above its own level must be told the level the stream
// really needs, so the finished file gets the right one.
#pragma once

#include <cstdint>
#include <filesystem>

extern "C" {
#include <libavutil/rational.h>
}

namespace transcode {

// The first H.263 level, in the order 10, 45, 20, 30, 40, 50, 60, 70, whose
// limits on picture size, frame rate and bitrate hold the stream; 70 when
// none does. Level 45 (QCIF and smaller, 15 frames per second, 128 kbit/s)
// comes before 20 because 3GPP phones support it beside 10.
int32_t H263Level(int32_t width, int32_t height, AVRational frameRate, int64_t bitRate);

// Writes profile 0 and the level into the H.263 sample entry's decoder
// configuration (the d263 box under moov/trak/mdia/minf/stbl/stsd) of a
// finished file. False, with the file untouched, when it has no such box;
// throws TEngineError when the file cannot be read or written.
bool WriteH263Level(const std::filesystem::path& file, int32_t level);

}  // namespace transcode
