#pragma once
// The program's command line, the same on every system; the demo, which only Linux
// has, is refused elsewhere with its reason.

#include <optional>
#include <string>

#include "cli/CliOptions.h"

namespace vor {

struct AppOptions {
    bool demo = false;    // --demo: the window against the simulated DC
    bool cli = false;     // --cli or --list-ports: the terminal, no window
    CliOptions terminal;  // its --port serves the window too
};

struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    AppOptions options;  // for Run
    std::string text;    // what to print for the other actions: the usage, the version, the error and the usage
};

// `argv[0]` is the program. Needs no display.
// `withDemo`: whether this system has the demo (the simulated DC runs on Linux only).
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& version, bool withDemo);

// Help, the version or a bad command line: prints what it says and gives the exit
// status; nothing for a run.
std::optional<int> EndsWithoutRun(const CommandLine& command);

}  // namespace vor
