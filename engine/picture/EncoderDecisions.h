// How the H.263 and MPEG-4 encoders choose among the ways to code a
// macroblock. At the phones' small sizes and low bitrates these choices decide
// how much picture each bit buys; bench/quality measures them against the
// ffmpeg program's defaults.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace transcode {

// Sets the encoder's coding decisions on the context (size, rate control and
// codec already set) and opens it; throws openError when it cannot be opened.
// Only what every decoder of the stream's profile accepts: MPEG-4 Simple
// Profile tools, and for H.263 the baseline without any optional annex.
void OpenVideoEncoder(AVCodecContext& encoder, const char* openError);

}  // namespace transcode
