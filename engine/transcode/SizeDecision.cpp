#include "SizeDecision.h"

#include <algorithm>
#include <climits>

namespace transcode {

namespace {

// The next pass's rate: the pictures' share scaled to what the rest of the
// file leaves of the aimed size, never above the highest rate.
int32_t CorrectedRate(const TSizeLimitRun& run, const TSizePass& pass) {
    const double others = static_cast<double>(pass.Size - pass.VideoBytes);
    const double wanted = kAimedShare * static_cast<double>(run.Limit) - others;
    const double scale = std::max(wanted, 1.0) / static_cast<double>(pass.VideoBytes);
    const auto rate =
        static_cast<int32_t>(std::clamp(run.VideoBitRate * scale, 1000.0, double{INT32_MAX / 2}));
    return run.HighestVideoBitRate > 0 ? std::min(rate, run.HighestVideoBitRate) : rate;
}

TSizeDecision Verdict(TSizeVerdict verdict) {
    TSizeDecision decision;
    decision.Verdict = verdict;
    return decision;
}

}  // namespace

TSizeDecision DecideAfterPass(const TSizeLimitRun& run, const TSizePass& pass) {
    if (run.Limit <= 0 || pass.Size < 0) return Verdict(TSizeVerdict::Commit);
    const bool lastPass = pass.Number >= kMaxSizePasses;
    const bool canCorrect = run.HasVideo && pass.VideoBytes > 0;
    if (pass.Size <= run.Limit) {
        const bool finest = pass.Quantiser > 0 && pass.Quantiser <= kFinestQuantiser;
        const bool limitSetsRate = run.VideoBitRate < run.HighestVideoBitRate;
        const bool fullEnough =
            static_cast<double>(pass.Size) >= kLowestShare * static_cast<double>(run.Limit);
        if (pass.Stopped || !canCorrect || finest || !limitSetsRate || fullEnough || lastPass) {
            return Verdict(TSizeVerdict::Commit);
        }
        // Too small, with bits to spare: kept in case a richer pass does not
        // fit, and tried at a higher rate.
        const int32_t next = CorrectedRate(run, pass);
        if (next <= run.VideoBitRate) return Verdict(TSizeVerdict::Commit);
        return TSizeDecision{TSizeVerdict::Retry, next, true};
    }
    // Above the limit. A stopped file there is of no use; an earlier result
    // within it is, and it stands when a richer pass overshoots.
    if (pass.Stopped) return Verdict(run.HasKept ? TSizeVerdict::CommitKept : TSizeVerdict::Drop);
    if (run.HasKept) return Verdict(TSizeVerdict::CommitKept);
    if (lastPass || !canCorrect) return Verdict(TSizeVerdict::Fail);
    return TSizeDecision{TSizeVerdict::Retry, CorrectedRate(run, pass), false};
}

}  // namespace transcode
