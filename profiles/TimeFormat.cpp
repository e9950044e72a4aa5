#include "TimeFormat.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The locale's long time format less its time-zone part ("t" up to "tttt")
// and its AM/PM designator ("AP", "ap", "A", "a"), each with the blank that
// separated it from the rest. A duration is no clock time: without the
// designator the locale's hours count from 0 to 23, so that two seconds read
// "0:00:02" and not "12:00:02 AM". Quoted literal text is kept as it stands.
QString LongTimeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            result += c;
            continue;
        }
        const bool zone = c == u't';
        const bool designator = c == u'a' || c == u'A';
        if (!quoted && (zone || designator)) {
            if (zone) {
                while (i + 1 < format.size() && format.at(i + 1) == u't') ++i;
            } else if (i + 1 < format.size() &&
                       (format.at(i + 1) == u'p' || format.at(i + 1) == u'P')) {
                ++i;
            }
            // Drop the blanks before the zone; at the start, those after it.
            if (!result.isEmpty()) {
                while (!result.isEmpty() && result.back().isSpace()) result.chop(1);
            } else {
                while (i + 1 < format.size() && format.at(i + 1).isSpace()) ++i;
            }
            continue;
        }
        result += c;
    }
    return result.trimmed();
}

}  // namespace

QString FormatTimeOfDay(int64_t seconds, const QLocale& locale) {
    if (seconds < 0) seconds = 0;
    const int64_t hours = seconds / 3600;
    const int minutes = static_cast<int>((seconds / 60) % 60);
    const int secs = static_cast<int>(seconds % 60);
    if (hours >= 24) {
        // No clock time holds a day or more: the hours are shown in total.
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(secs, 2, 10, QLatin1Char('0'));
    }
    const QTime time(static_cast<int>(hours), minutes, secs);
    return locale.toString(time, LongTimeFormatWithoutZone(locale));
}

std::string ClipTimeText(double seconds) {
    const auto tenths = static_cast<long long>(std::llround(std::max(seconds, 0.0) * 10));
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%lld", tenths / 36000, tenths / 600 % 60,
                  tenths / 10 % 60, tenths % 10);
    return text;
}

QString FormatClipTime(double seconds) {
    return QString::fromStdString(ClipTimeText(seconds));
}

std::string ClockText(int64_t seconds) {
    seconds = std::max<int64_t>(seconds, 0);
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string PaddedClockText(int64_t seconds) {
    seconds = std::max<int64_t>(seconds, 0);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::optional<double> ParseClipTime(const QString& text, bool* beyondLimit) {
    if (beyondLimit) *beyondLimit = false;
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(?:(?:(\\d+):)?(\\d+):)?(\\d+(?:\\.\\d*)?|\\.\\d+)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return std::nullopt;
    const bool hasHours = match.hasCaptured(1);
    const bool hasMinutes = match.hasCaptured(2);
    const double seconds = match.captured(3).toDouble();
    double total = seconds;
    if (hasMinutes) {
        const double minutes = match.captured(2).toDouble();
        if (seconds >= 60) return std::nullopt;
        if (hasHours && minutes >= 60) return std::nullopt;
        total += minutes * 60;
    }
    if (hasHours) total += match.captured(1).toDouble() * 3600;
    if (!std::isfinite(total) || total > kLongestClipTime) {
        if (beyondLimit) *beyondLimit = true;
        return std::nullopt;
    }
    return total;
}
