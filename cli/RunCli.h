#pragma once
// `vor-fwupdate --cli` and `--list-ports`: the update on a terminal, without any window,
// the same on every system.

#include <functional>
#include <set>
#include <string>

#include "cli/CliOptions.h"
#include "cli/ListPorts.h"
#include "flow/WizardFlow.h"

namespace vor {

// The whole terminal run of `flow`: start-up, the pages, the update, the close
// sequence, the outcome line. `endProgram` is the flow's own (every later yield
// throws ProgramEnding). Returns the exit status.
int RunTerminal(WizardFlow& flow, const CliOptions& options, const std::function<void()>& endProgram);

// `--list-ports` with the texts of the program folder's language database.
int ListCables(const std::string& programDir, const std::set<std::string>& cablePorts, const PortTrial& tryPort);

}  // namespace vor
