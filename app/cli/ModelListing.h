// The tables as the command-line program lists them.
#pragma once

#include <QString>
#include <cstdint>

// One row per phone model: row, manufacturer, model, default size and codec,
// under a heading line.
QString PhoneModelListing();

// The picture sizes the model's codec accepts, one per line, as --size takes
// them ("176x144"), with the model's default marked.
QString ResolutionListing(int32_t modelRow);

// The sizes a codec accepts on one line: "128x96, 176x144, 352x288, 704x576".
QString AllowedSizesText(int32_t videoCodec);

// "MPEG-4" or "H.263" for a codec choice of the tables.
QString CodecName(int32_t videoCodec);
