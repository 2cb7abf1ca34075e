#pragma once
// How a saved profile's file is named to the diver: when it was written and how much
// profile it holds.

#include <filesystem>
#include <string>

#include "platform/EventPump.h"

namespace vor {

// "yyyy-mm-dd hh:mm"
std::string DateText(const LocalTime& t);
// When the file was last written, as the diver's clock showed it; "?" when unknown.
std::string FileDateText(const std::filesystem::path& file);
// The kilobytes (rounded up) of `blocks` profile blocks.
std::string KilobytesOf(int blocks);

}  // namespace vor
