// The transcoder's own per-file state: the source it reads and the counters of
// the conversion loop that runs between the video path, the audio path and the
// output file. A fresh state is made before every file and dropped after it,
// so nothing of one file reaches the next.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "AvPtr.h"
#include "TimestampJumps.h"
#include "Transcoder.h"

struct TTranscoder::TranscodeState {
    av::InputContextPtr Input;
    AVStream* InputVideo = nullptr;  // either may be absent
    AVStream* InputAudio = nullptr;
    AVStream* InputSubtitle = nullptr;  // the track burned in, if any
    av::PacketPtr InputPacket;
    bool InputEnded = false;     // the demuxer has no more packets
    bool VideoDrained = false;   // the video decoder has given its last picture
    bool VideoFinished = false;  // no more pictures wanted: later video packets are skipped
    int64_t SoundSearchEnd = std::numeric_limits<int64_t>::max();  // video time base
    bool SoundSearchOver = false;  // a skipped video packet lay beyond SoundSearchEnd

    // Jumps of the time stamps, followed where the format allows them.
    std::optional<TTimestampJumps> Jumps;
    bool Stopped = false;       // a stop request has been seen
    bool VideoEndSent = false;  // the video decoder was told of the end (at a stop)
    bool PacketsSeen = false;   // a packet of the converted streams has been read

    // Damaged packets passed over, per stream: where the latest good picture
    // (sound) came from and how many packets failed since. Times are in
    // microseconds from the start of the source.
    struct DamageWatch {
        int64_t LastGood = 0;
        int64_t FirstFailure = 0;  // the first damaged packet since
        int32_t Failures = 0;
    };
    DamageWatch VideoDamage;
    DamageWatch AudioDamage;
    int64_t PacketTime = 0;                // the latest packet's time
    int64_t FurthestEnd = AV_NOPTS_VALUE;  // the end of the furthest packet, same times
    bool DamageReported = false;

    int64_t BytesRead = 0;  // end of the furthest packet read, in the source file
    int32_t LastPercent = 0;
};
