// The backend on the interface cable through the Win32 serial port (the terminal
// program on Windows, no Qt).

#include "platform/win32/Win32InterfacePort.h"
#include "platform/win32/Win32SerialPort.h"
// After the port: its OpenInterfacePort must be known to the template.
#include "flow/BackendOnPort.h"
#include "flow/CableBackend.h"

namespace vor {

std::unique_ptr<WizardBackend> MakeCableBackend(const std::string& port, WizardState& state, WizardServices& services,
                                                EventPump& pump, const std::filesystem::path& programFolder) {
    return MakeBackendOnPort<Win32SerialPort>(port, state, services, pump, programFolder);
}

}  // namespace vor
