#pragma once
// The interface cable on the system the program runs on: each system's file
// (CableOnQt.cpp, CableOnWin32.cpp) wires its own serial port.

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "flow/WizardBackend.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "profile/BackupFolder.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

// The backend on the cable. `port` empty: the cable is searched.
std::unique_ptr<WizardBackend> MakeCableBackend(const std::string& port, WizardState& state, WizardServices& services,
                                                EventPump& pump, const BackupFolders& backupFolders);

// For --list-ports: the ports that are the cable, and a trial open of one.
std::set<std::string> CablePorts();
PortOpenOutcome TryCablePort(const std::string& name);

}  // namespace vor
