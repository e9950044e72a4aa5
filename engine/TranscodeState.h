// The transcoder's own per-file state: the source it reads and the counters of
// the conversion loop that runs between the video path, the audio path and the
// output file. A fresh state is made before every file and dropped after it,
// so nothing of one file reaches the next.
#pragma once

#include <cstdint>
#include <limits>

#include "AvPtr.h"
#include "Transcoder.h"

struct TTranscoder::TranscodeState {
    av::InputContextPtr Input;
    AVStream* InputVideo = nullptr;  // either may be absent
    AVStream* InputAudio = nullptr;
    av::PacketPtr InputPacket;
    bool InputEnded = false;     // the demuxer has no more packets
    bool VideoDrained = false;   // the video decoder has given its last picture
    bool VideoFinished = false;  // no more pictures wanted: later video packets are skipped
    int64_t SoundSearchEnd = std::numeric_limits<int64_t>::max();  // video time base
    bool SoundSearchOver = false;  // a skipped video packet lay beyond SoundSearchEnd

    int64_t BytesRead = 0;  // end of the furthest packet read, in the source file
    int32_t LastPercent = 0;
};
