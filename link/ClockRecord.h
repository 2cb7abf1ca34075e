#pragma once
// The DC's 9-byte clock record and the date/time texts it is built from.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/EventPump.h"

namespace vor {

using ClockRecord = std::array<std::uint8_t, 9>;

// "mm/dd/yy" and "hh:mm:ss" (24-hour) of a local time, as SetClock takes them.
std::string FormatClockDate(const LocalTime& t);
std::string FormatClockTime(const LocalTime& t);

// Year, day, month, seconds, minutes, 12-hour hour byte with the PM bit (BCD), the
// caller's value, 0, and the sum of the eight bytes. The texts are read by position
// (characters 1-2, 4-5 and the last two), so any one-character separator works.
// Empty when a field is not two decimal digits or the hour is above 23.
std::optional<ClockRecord> BuildClockRecord(std::string_view date, std::string_view time, std::uint8_t value);

}  // namespace vor
