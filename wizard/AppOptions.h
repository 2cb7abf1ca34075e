#pragma once
// The program's command line.

#include <QStringList>
#include <string>

#include "cli/CliOptions.h"

namespace vor {

struct AppOptions {
    std::string port;   // --port NAME: use this serial port instead of searching
    bool demo = false;  // --demo: run against the simulated DC
    bool cli = false;   // --cli or --list-ports: the terminal, no window
    CliOptions terminal;
};

struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    AppOptions options;  // for Run
    std::string text;    // what to print for the other actions: the usage, the version, the error and the usage
};

// `arguments` as QCoreApplication::arguments() gives them, the program first. Needs a
// QCoreApplication (for the program's name and version) but no display.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace vor
