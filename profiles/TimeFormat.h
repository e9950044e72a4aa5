// Times as text for the windows and the command-line program (the plain
// texts that the engine's messages use too are in TimeText.h). The engine
// reports times as numbers (seconds); only these functions turn them into text.
#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

#include "TimeText.h"

// A duration in whole seconds as a time of day in the locale's long time
// format (the system's by default), without a time zone and without AM or PM
// ("1:02:05" or "01:02:05", as the locale writes its hours, "0:00:02" rather
// than "12:00:02 AM"). From 24 hours on it shows the total hours: "27:03:10".
QString FormatTimeOfDay(int64_t seconds, const QLocale& locale = QLocale::system());

// A time within a clip as the trim dialog shows it: "00:01:05.5", hours,
// minutes and seconds with one decimal (rounded to the nearest tenth).
QString FormatClipTime(double seconds);

// A time within a clip as typed: seconds ("75", "75.5") or hh:mm:ss.s
// ("1:15", "00:01:15.5"; minutes and seconds below 60 after the first
// field). Nothing for anything else, a negative time or one beyond
// kLongestClipTime; beyondLimit, when given, tells the last apart.
std::optional<double> ParseClipTime(const QString& text, bool* beyondLimit = nullptr);

// The latest time a clip's part may start or end at, in seconds (100 hours):
// no recording lasts longer, and every sum of such times stays exact.
inline constexpr double kLongestClipTime = 100.0 * 3600;
