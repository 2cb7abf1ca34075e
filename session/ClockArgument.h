#pragma once
// Record byte 6 of every clock setting, from the update and from the profile write-back
// alike. What it means lies with the DC; the program always sends this value.

#include <cstdint>

namespace vor {

constexpr std::uint8_t ClockArgument = 233;

}  // namespace vor
