// What follows a pass of a conversion under a size limit, decided from the
// pass's numbers alone: keep this file, keep an earlier pass, encode again at
// another video bitrate, or fail.
//
// A limit only ever lowers the video bitrate: never above the chosen quality
// level's. The rule "at least 85 % of the limit" applies only while the limit
// sets the bitrate (the pass ran below the level's bitrate); a clip whose
// chosen quality fits is kept as it is.
#pragma once

#include <cstdint>

namespace transcode {

// Passes at most per file: the first, and corrections up or down.
inline constexpr int kMaxSizePasses = 4;
// A result may fall this far below the limit before it is encoded again.
inline constexpr double kLowestShare = 0.85;
// Where a corrected pass aims: a little below the limit, since the rate
// control lands within a few percent of its bitrate.
inline constexpr double kAimedShare = 0.95;
// The encoders' finest quantiser (qmin); at it the pictures take no more bits.
inline constexpr double kFinestQuantiser = 2.5;

// One finished pass.
struct TSizePass {
    int64_t Size = -1;       // bytes of the finished file; -1 when unknown
    int64_t VideoBytes = 0;  // of its coded pictures
    double Quantiser = 0;    // the pictures' average quantiser; 0 when unknown
    int Number = 1;          // 1 for the first pass
    bool Stopped = false;    // the user asked to stop during it
};

// What the decision knows besides the pass.
struct TSizeLimitRun {
    int64_t Limit = 0;  // bytes; 0: no limit
    bool HasVideo = false;
    bool HasKept = false;             // an earlier pass within the limit is kept
    int32_t VideoBitRate = 0;         // the pass's, bit/s
    int32_t HighestVideoBitRate = 0;  // the quality level's: a limit never goes above it
};

enum class TSizeVerdict {
    Commit,      // this pass's file is the output
    CommitKept,  // the kept earlier pass is the output
    Retry,       // encode again at NextVideoBitRate
    Drop,        // stopped above the limit with nothing kept: no output
    Fail,        // it cannot fit
};

struct TSizeDecision {
    TSizeVerdict Verdict = TSizeVerdict::Commit;
    int32_t NextVideoBitRate = 0;  // Retry: the next pass's video bitrate
    bool KeepThis = false;         // Retry: keep this pass (within the limit) in case
};

TSizeDecision DecideAfterPass(const TSizeLimitRun& run, const TSizePass& pass);

}  // namespace transcode
