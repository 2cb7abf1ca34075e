#pragma once
// The terminal program's command line where Qt does not read it (Windows): the same
// options as the Linux program's, read by CLI11.

#include <string>

#include "cli/CliOptions.h"

namespace vor {

struct CliCommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    CliOptions options;  // for Run
    std::string text;    // what to print for the other actions: the usage, the version, the error and the usage
};

// `argv[0]` is the program. This program has no window: it runs with --cli or --list-ports.
CliCommandLine ParseCliCommandLine(int argc, const char* const* argv, const std::string& version);

}  // namespace vor
