// Which of a source's streams a conversion reads: the picture, and the
// sound track to go with it.
#pragma once

#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
}

// The first video stream with pictures of its own, in stream order; a cover
// picture attached to a sound file is no video.
AVStream* ChooseVideoStream(AVFormatContext& input);

// A cover picture of a sound file (an attached picture: MP3 APIC, M4A covr,
// FLAC PICTURE, a Matroska cover), or none.
AVStream* ChooseCoverStream(AVFormatContext& input);

// The sound streams, in stream order.
int32_t SoundTrackCount(const AVFormatContext& input);

// The sound track to convert with: track (1-based among the sound streams)
// when it is above 0, else the first one flagged default, else the one the
// library's best-stream choice gives for video (which may be absent). None
// when the source has no sound, or no track of that number.
AVStream* ChooseSoundStream(AVFormatContext& input, const AVStream* video, int32_t track = 0);

// The 1-based number of stream among the sound streams; 0 for none.
int32_t SoundTrackNumber(const AVFormatContext& input, const AVStream* stream);
