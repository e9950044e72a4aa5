// The arithmetic behind the progress display of a run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "SourceClip.h"

// The percentage of the whole list done while the clip at index is at
// currentPercent, weighted by the milliseconds converted of each clip (its
// length, or the trimmed part of it). When these add up to 0 every clip
// weighs the same: (index x 100 + currentPercent) / count.
int32_t ComputeTotalPercent(const ClipList& clips, std::size_t index, int32_t currentPercent);

// The time still needed: the run's expected length, elapsed x 100 /
// totalPercent, less what has elapsed; 0 while nothing is done and never
// negative.
int64_t EstimateTimeLeft(int64_t elapsedSeconds, int32_t totalPercent);
