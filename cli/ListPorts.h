#pragma once
// `vor-fwupdate --list-ports`: every interface cable found, each with what the
// interface box would say about its port.

#include <functional>
#include <string>

namespace vor {

// Prints through `print`; the texts come through `getText` (the language database).
// Returns the exit status: 0 when a usable cable was found, 3 when none.
int ListPorts(const std::function<void(const std::string&)>& print,
              const std::function<std::string(std::int32_t)>& getText);

}  // namespace vor
