#pragma once
// The program's command-line options.

#include <optional>
#include <string>
#include <vector>

namespace vor {

struct AppOptions {
    std::string port;   // --port NAME: use this serial port instead of searching
    bool demo = false;  // --demo: run against the simulated DC
};

// Nothing (and `error` set) for an unknown option or --port without a name.
std::optional<AppOptions> ParseAppOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace vor
