// Which of a clip's subtitle tracks is burned in.
#pragma once

#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
}

namespace subtitles {

// How many subtitle tracks the file has.
int32_t CountSubtitleTracks(const AVFormatContext& input);

// The index of the stream to burn in. track 0: a track flagged forced, else
// one flagged default, else the first; track N (1-based among the subtitle
// tracks): that one. -1 when there is none (or no Nth).
int32_t ChooseSubtitleStream(const AVFormatContext& input, int32_t track);

// True for the subtitle formats that can be burned in: SubRip, ASS/SSA,
// mov_text, WebVTT, plain text, PGS, DVB and DVD subtitles.
bool CanBurnIn(int32_t codecId);

}  // namespace subtitles
