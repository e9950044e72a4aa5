#include "OutputEstimate.h"

#include <algorithm>
#include <cmath>

#include "SizeLimit.h"

std::optional<int64_t> ExpectedOutputBytes(int64_t limitBytes, int32_t videoBitRate, double seconds,
                                           double frameRate) {
    if (limitBytes > 0) {
        if (!PlanForSize(limitBytes, seconds, frameRate, true, true).Fits) return std::nullopt;
        return limitBytes;
    }
    const double length = std::max(seconds, 0.0);
    const AmrMode& sound = AmrModes.front();
    const double coded = length * (static_cast<double>(videoBitRate) / 8.0 +
                                   double{sound.FrameBytes} * AmrFramesPerSecond);
    return static_cast<int64_t>(std::llround(coded)) +
           ContainerOverhead(length, frameRate, true, true);
}
