// The cable on Windows: the Win32 serial port, found in the registry.

#include "app/Cable.h"
#include "platform/win32/Win32InterfacePort.h"
#include "platform/win32/Win32SerialPort.h"
// After the port: its OpenInterfacePort must be known to the template.
#include "app/BackendOnPort.h"

namespace vor {

std::unique_ptr<WizardBackend> MakeCableBackend(const std::string& port, WizardState& state, WizardServices& services,
                                                EventPump& pump, const BackupFolders& backupFolders) {
    return MakeBackendOnPort<Win32SerialPort>(port, state, services, pump, backupFolders);
}

std::set<std::string> CablePorts() {
    std::set<std::string> ports;
    if (const auto found = FindCableComPort()) ports.insert(*found);
    return ports;
}

PortOpenOutcome TryCablePort(const std::string& name) {
    Win32SerialPort port;
    return port.open(name);
}

}  // namespace vor
