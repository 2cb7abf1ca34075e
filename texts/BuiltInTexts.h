#pragma once
// The English text of each message this program added to the language database
// (numbers from AddedMessagesFrom on). A database made for the original set of
// messages lacks them; their built-in text stands in, so no box or row is empty.

#include <cstdint>
#include <string>

namespace vor {

constexpr std::int32_t AddedMessagesFrom = 900;

// Empty for a number that has no built-in text.
std::string BuiltInText(std::int32_t number);

}  // namespace vor
