#pragma once
// The control channel of the simulated DC: one text command per line, as typed on
// the stdin of `vor-tool sim`. Commands: press, clip, unclip, pull, status,
// dump memory FILE, dump firmware, dump clock, quit, help.

#include <string>

#include "tools/dcsim/SimulatedDc.h"

namespace vor::sim {

struct ControlResult {
    std::string text;  // what to print (ends with a newline when not empty)
    bool quit = false;
    bool pullCable = false;  // the transport must close the line
    bool ok = true;
};

ControlResult RunControlCommand(SimulatedDc& dc, const std::string& line, double now);

// Firmware state as printed by "dump firmware".
std::string DescribeFirmware(const SimulatedDc& dc);

}  // namespace vor::sim
