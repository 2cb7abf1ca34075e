#include "link/ClockRecord.h"

#include <cstdio>
#include <numeric>

namespace vor {

namespace {
std::string TwoDigitTriple(int a, int b, int c, char separator) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", a % 100, separator, b % 100, separator, c % 100);
    return text;
}

std::optional<int> TwoDigits(std::string_view text, std::size_t at) {
    if (at + 2 > text.size()) return std::nullopt;
    const char tens = text[at];
    const char units = text[at + 1];
    if (tens < '0' || tens > '9' || units < '0' || units > '9') return std::nullopt;
    return (tens - '0') * 10 + (units - '0');
}

std::uint8_t Bcd(int n) { return static_cast<std::uint8_t>((n / 10) * 16 + n % 10); }

// 0..11 as BCD; 12..23 as 12, 1..11 in BCD with bit 7 set.
std::uint8_t HourByte(int h) {
    if (h < 12) return Bcd(h);
    if (h == 12) return 0x92;
    return static_cast<std::uint8_t>(0x80 + Bcd(h - 12));
}
}  // namespace

std::string FormatClockDate(const LocalTime& t) { return TwoDigitTriple(t.month, t.day, t.year, '/'); }

std::string FormatClockTime(const LocalTime& t) { return TwoDigitTriple(t.hour, t.minute, t.second, ':'); }

std::optional<ClockRecord> BuildClockRecord(std::string_view date, std::string_view time, std::uint8_t value) {
    if (date.size() < 5 || time.size() < 5) return std::nullopt;
    const auto month = TwoDigits(date, 0);
    const auto day = TwoDigits(date, 3);
    const auto year = TwoDigits(date, date.size() - 2);
    const auto hour = TwoDigits(time, 0);
    const auto minute = TwoDigits(time, 3);
    const auto second = TwoDigits(time, time.size() - 2);
    if (!month || !day || !year || !hour || !minute || !second) return std::nullopt;
    if (*hour > 23) return std::nullopt;  // no hour byte for it
    ClockRecord record{Bcd(*year), Bcd(*day), Bcd(*month), Bcd(*second), Bcd(*minute), HourByte(*hour), value, 0, 0};
    record[8] = static_cast<std::uint8_t>(std::accumulate(record.begin(), record.begin() + 8, 0) % 256);
    return record;
}

}  // namespace vor
