#pragma once
// How a terminal run ends: its exit status, its result word, its last line and its
// JSON `outcome` event, all read from the flow's one outcome value.

#include <optional>
#include <string>

#include "flow/ProfileTask.h"
#include "flow/RunOutcome.h"

namespace vor {

class WizardFlow;

struct CliOutcome {
    RunOutcome run;
    int exit = 0;
    const char* result = "nothing-changed";  // updated, failed, nothing-changed, profile-saved
    std::string message;                     // the last line
    std::optional<TaskOutcome> task;         // set for --info, --backup and --restore
};

CliOutcome OutcomeOfRun(WizardFlow& flow);

// The `outcome` event, with `backup` when a profile waits for its write-back.
std::string OutcomeEvent(const CliOutcome& outcome);

}  // namespace vor
