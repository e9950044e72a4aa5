#include "SourceClip.h"

#include <algorithm>
#include <cmath>

std::chrono::milliseconds SourceClipItem::ConvertedMilliseconds() const {
    const double length =
        LengthSeconds > 0 ? LengthSeconds : static_cast<double>(SourceDuration.count());
    double end = length;
    if (TrimEnd > 0) end = length > 0 ? std::min(TrimEnd, length) : TrimEnd;
    const double part = std::max(0.0, end - std::max(TrimStart, 0.0));
    return std::chrono::milliseconds(static_cast<int64_t>(std::floor(part * 1000 + 1e-6)));
}

std::chrono::seconds SourceClipItem::ConvertedDuration() const {
    if (!IsTrimmed()) return SourceDuration;
    const double length =
        LengthSeconds > 0 ? LengthSeconds : static_cast<double>(SourceDuration.count());
    double end = length;
    if (TrimEnd > 0) end = length > 0 ? std::min(TrimEnd, length) : TrimEnd;
    const double part = std::max(0.0, end - std::max(TrimStart, 0.0));
    return std::chrono::seconds(static_cast<int64_t>(std::floor(part)));
}
