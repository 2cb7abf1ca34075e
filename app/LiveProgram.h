#pragma once
// The live program, built in one place for every front end and every system: the
// program and backup folders, the flow's environment, the flow and the backend on the
// cable. A front end receives the flow, attaches itself and runs it; it never builds one.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "flow/WizardBackend.h"
#include "flow/WizardFlow.h"
#include "platform/EventPump.h"
#include "profile/BackupFolder.h"
#include "session/WizardState.h"

namespace vor {

// What the system the program runs on brings.
struct SystemParts {
    EventPump& pump;
    std::string programDir;                                // the image, the database and the agreement lie here
    std::function<void()> endProgram;                      // every later yield throws ProgramEnding
    std::function<void(const std::string&)> startProgram;  // the follow-up program at close
};

// What the command line chose for the run, whatever shows it.
struct RunChoices {
    std::string port;                   // empty: the cable is searched
    std::string image;                  // empty: the setup record's
    std::optional<int> languageColumn;  // empty: the setup record's
    ProfileTask task;                   // a profile command of the terminal instead of the update
};

class LiveProgram {
public:
    LiveProgram(const SystemParts& system, const RunChoices& choices);

    WizardFlow& flow() { return flow_; }
    // The stages' shared state, which the unattended demo watches.
    const WizardState& state() const { return state_; }

private:
    BackupFolders backupFolders_;  // chosen once: backups (and attempt records in the first)
    WizardState state_;
    WizardFlow flow_;
    std::unique_ptr<WizardBackend> backend_;
};

}  // namespace vor
