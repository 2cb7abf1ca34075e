#pragma once
// `vor-fwupdate --list-ports`: every interface cable found, each with what the
// interface box would say about its port.

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "platform/PortOpen.h"

namespace vor {

// Opens the named port with the system's serial adapter and closes it again.
using PortTrial = std::function<PortOpenOutcome(const std::string& portName)>;

// Prints through `print`; the texts come through `getText` (the language database).
// `cablePorts` are the ports the system found for the cable. Returns the exit status:
// 0 when a usable cable was found, 3 when none.
int ListPorts(const std::function<void(const std::string&)>& print,
              const std::function<std::string(std::int32_t)>& getText, const std::set<std::string>& cablePorts,
              const PortTrial& tryPort);

}  // namespace vor
