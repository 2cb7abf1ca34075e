#pragma once
// The backend on the interface cable: the one place where the real serial port is wired.

#include <filesystem>
#include <memory>
#include <string>

#include "flow/WizardBackend.h"
#include "platform/EventPump.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

// `port` empty: the cable is searched. Backups go to the folder chosen for `programFolder`.
std::unique_ptr<WizardBackend> MakeCableBackend(const std::string& port, WizardState& state, WizardServices& services,
                                                EventPump& pump, const std::filesystem::path& programFolder);

}  // namespace vor
