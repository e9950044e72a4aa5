#include "Progress.h"

int32_t ComputeTotalPercent(const ClipList& clips, std::size_t index, int32_t currentPercent) {
    if (clips.empty()) return 0;
    int64_t done = 0;
    int64_t total = 0;
    // In milliseconds: whole seconds would hold a 3 s clip at 0 % until a
    // third of it is done. For clips of whole seconds the result is the same
    // as the exact share, rounded down.
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const int64_t milliseconds = clips[i]->ConvertedMilliseconds().count();
        if (i < index) done += milliseconds;
        total += milliseconds;
    }
    if (index < clips.size())
        done += clips[index]->ConvertedMilliseconds().count() * currentPercent / 100;
    if (total <= 0) {
        return static_cast<int32_t>((static_cast<int64_t>(index) * 100 + currentPercent) /
                                    static_cast<int64_t>(clips.size()));
    }
    return static_cast<int32_t>(done * 100 / total);
}

int64_t EstimateTimeLeft(int64_t elapsedSeconds, int32_t totalPercent) {
    const int64_t expected = totalPercent != 0 ? elapsedSeconds * 100 / totalPercent : 0;
    return elapsedSeconds < expected ? expected - elapsedSeconds : 0;
}
