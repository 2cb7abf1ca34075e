#pragma once
// `vor-fwupdate --cli` and `--list-ports`: the update on a terminal, without any window.
// The run itself is the same on every system; each system's shell (RunCliQt.cpp,
// RunCliWin32.cpp) brings the event pump, the serial port and the program's folder.

#include <functional>
#include <set>
#include <string>

#include "cli/CliOptions.h"
#include "cli/ListPorts.h"
#include "platform/EventPump.h"

namespace vor {

// The system's shell: reads its command line, makes whatever application object the
// system needs (none on Windows) and returns the exit status.
int RunCli(const CliOptions& options, int& argc, char** argv);

// What the run takes from the system it runs on.
struct CliSystem {
    EventPump& pump;
    std::function<void()> endProgram;                      // every later yield throws ProgramEnding
    std::function<void(const std::string&)> startProgram;  // the follow-up program at close
};

// The whole terminal run: start-up, the pages, the update, the close sequence, the
// outcome line. Returns the exit status.
int RunTerminalUpdate(const CliOptions& options, const std::string& programDir, const CliSystem& system);

// `--list-ports` with the texts of the program folder's language database.
int ListCables(const std::string& programDir, const std::set<std::string>& cablePorts, const PortTrial& tryPort);

}  // namespace vor
