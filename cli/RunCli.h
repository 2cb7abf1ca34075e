#pragma once
// `vor-fwupdate --cli` and `--list-ports`: the update on a terminal, without any window.

#include "cli/CliOptions.h"

namespace vor {

// Creates the (window-less) application object itself; returns the exit status.
int RunCli(const CliOptions& options, int& argc, char** argv);

}  // namespace vor
