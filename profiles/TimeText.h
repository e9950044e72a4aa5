// Times as plain text, without the locale: what the engine's few messages
// that name a time use, and the clip times of the windows and the
// command-line program (TimeFormat.h). Plain C++, so that any unit may
// include it.
#pragma once

#include <cstdint>
#include <string>

// "00:01:05.5": hours, minutes and seconds with one decimal, rounded to the
// nearest tenth. Negative times read as 0.
std::string ClipTimeText(double seconds);

// Whole seconds as "h:mm:ss" ("0:00:01"; the hours as many digits as they
// take) and as "hh:mm:ss" ("00:01:02"). Negative counts read as 0.
std::string ClockText(int64_t seconds);
std::string PaddedClockText(int64_t seconds);
