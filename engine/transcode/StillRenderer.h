// One still of a source as the phone will show it: the source opened and
// sought like a conversion's, one picture decoded and taken through the
// video path's own fit, scaling, colour conversion and turn, at the output
// size, and nothing encoded or written.
#pragma once

#include <stop_token>
#include <string>

#include "ConversionParameters.h"
#include "StillImage.h"
#include "Transcoder.h"

namespace transcode {

// Where a clip's still is taken, in seconds from the source's start: a tenth
// into the part converted (the trim range, else the whole clip of
// lengthSeconds; 0 when the length is unknown).
double StillTime(double lengthSeconds, const ClipRange& range);

// The picture shown at seconds from the source's start (the last one when
// the source ends before), converted to RGB. Empty when the source has no
// pictures or stop was requested, which is checked between packets. Throws
// TEngineError when the source cannot be opened or decoded, with the first
// line and reason a conversion would give and the path named.
StillImage RenderStill(const ConversionParameters& parameters, const std::string& sourcePath,
                       double seconds, std::stop_token stop = {});

}  // namespace transcode
