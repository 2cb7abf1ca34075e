// The backend on the interface cable through the Win32 serial port (the terminal
// program on Windows, no Qt).

#include <optional>

#include "flow/AppBackend.h"
#include "flow/CableBackend.h"
#include "platform/win32/Win32InterfacePort.h"
#include "platform/win32/Win32SerialPort.h"
#include "profile/BackupFolder.h"

namespace vor {

namespace {

// The port must exist before AppBackend's link registers with it.
struct CablePortHolder {
    Win32SerialPort cablePort;
};

class CableBackend : private CablePortHolder, public AppBackend {
public:
    CableBackend(std::optional<std::string> forcedPort, WizardState& state, WizardServices& services, EventPump& pump,
                 const std::filesystem::path& programFolder)
        : AppBackend(
              state, services, pump, cablePort,
              [this, forcedPort] { return vor::OpenInterfacePort(cablePort, forcedPort); },
              ChooseBackupFolder(programFolder)) {}
};

}  // namespace

std::unique_ptr<WizardBackend> MakeCableBackend(const std::string& port, WizardState& state, WizardServices& services,
                                                EventPump& pump, const std::filesystem::path& programFolder) {
    std::optional<std::string> forcedPort;
    if (!port.empty()) forcedPort = port;
    return std::make_unique<CableBackend>(forcedPort, state, services, pump, programFolder);
}

}  // namespace vor
