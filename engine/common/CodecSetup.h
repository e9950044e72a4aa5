// What the video and the audio path both need to start: a source stream's
// decoder, an encoder's context and empty frames.
#pragma once

#include <cstdint>

#include "AvPtr.h"

namespace transcode {

// Opens the decoder of a source stream with the library's own threads; throws
// openError when it cannot be opened, "Codec not found\n" when there is none.
// shrinksByHalf: the pictures end up at most half as wide and half as high as
// decoded. The deblocking of pictures that no other picture refers to is then
// skipped: it smooths block edges finer than the scaled picture can show, and
// since nothing is predicted from those pictures no error can carry over.
av::CodecContextPtr StartDecoder(const AVStream& stream, const char* openError,
                                 bool shrinksByHalf = false);

// The context of the library's encoder for the codec, set up by nothing but
// the codec and not yet opened; throws "Codec not found\n" with the reason
// missing when the library has no such encoder.
av::CodecContextPtr NewEncoder(int32_t codecId, const char* missing);

// An empty frame; throws std::bad_alloc.
av::FramePtr NewFrame();

// A planar YUV 4:2:0 picture with its buffers; empty when out of memory.
av::FramePtr NewPicture(int32_t width, int32_t height);

}  // namespace transcode
