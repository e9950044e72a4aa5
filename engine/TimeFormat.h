// Durations as the windows and the command-line program show them.
#pragma once

#include <QString>
#include <cstdint>

// A duration in whole seconds as a time of day in the system locale's long
// time format, without a time zone ("1:02:05" or "01:02:05 AM" style, as the
// locale says). From 24 hours on it shows the total hours: "27:03:10".
QString FormatTimeOfDay(int64_t seconds);
