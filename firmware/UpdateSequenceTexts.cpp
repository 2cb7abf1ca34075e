#include "firmware/UpdateSequenceTexts.h"

#include <cmath>
#include <cstdio>

namespace vor {

namespace {
std::string TwoDigits(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}
}  // namespace

std::string TwoDigitRevision(std::uint8_t revision) { return TwoDigits(revision); }

std::string ProgressText(int r, int n) {
    // nearbyint under the default rounding mode rounds halves to even (12.5 -> 12).
    const double percent = std::nearbyint(static_cast<double>(r) * 100.0 / static_cast<double>(n));
    return std::to_string(static_cast<int>(percent)) + "%";
}

std::string ClockDateText(const LocalTime& t) {
    return TwoDigits(t.month) + "/" + TwoDigits(t.day) + "/" + TwoDigits(t.year % 100);
}

std::string ClockTimeText(const LocalTime& t) {
    return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

}  // namespace vor
