#include "OutputEstimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

double ConvertedLength(double lengthSeconds, double trimStart, double trimEnd) {
    double end = lengthSeconds > 0 ? lengthSeconds : 0;
    if (trimEnd > 0) end = end > 0 ? std::min(end, trimEnd) : trimEnd;
    return std::max(0.0, end - std::max(trimStart, 0.0));
}

std::string ExpectedSizeText(std::optional<int64_t> bytes, bool limited, char decimalPoint) {
    if (!bytes) return "does not fit";
    char number[40];
    std::snprintf(number, sizeof number, "%.2f", static_cast<double>(*bytes) / (1024.0 * 1024.0));
    std::string text = number;
    if (const auto point = text.find('.'); point != std::string::npos) text[point] = decimalPoint;
    return (limited ? "up to " : "") + text + " Mb";
}
