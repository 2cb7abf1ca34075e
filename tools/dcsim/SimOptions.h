#pragma once
// The command line of `vor-tool sim`, turned into a DcConfig. Unknown options and
// bad values are refused with a message naming them.

#include <string>
#include <vector>

#include "tools/dcsim/DcConfig.h"

namespace vor::sim {

struct SimOptions {
    DcConfig config;
    bool logHex = false;
};

// Returns false and sets `error` when an option is unknown or its value is bad.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

// One line per option, for the usage text.
const char* SimOptionsHelp();

}  // namespace vor::sim
