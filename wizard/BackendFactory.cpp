#include "wizard/BackendFactory.h"

#include <QCoreApplication>
#include <optional>

#include "platform/InterfacePort.h"
#include "platform/QtSerialPort.h"
#include "profile/BackupFolder.h"
#include "wizard/AppBackend.h"

namespace vor {

namespace {

// The port must exist before AppBackend's link registers with it.
struct CablePortHolder {
    QtSerialPort cablePort;
};

// The real backend on the interface cable (or the port named by --port).
class CableBackend : private CablePortHolder, public AppBackend {
public:
    CableBackend(std::optional<std::string> forcedPort, WizardState& state, WizardServices& window, EventPump& pump,
                 const std::filesystem::path& programFolder)
        : AppBackend(
              state, window, pump, cablePort,
              [this, forcedPort] { return vor::OpenInterfacePort(cablePort, forcedPort); },
              ChooseBackupFolder(programFolder)) {}
};

}  // namespace

std::unique_ptr<WizardBackend> MakeBackend(const AppOptions& options, WizardState& state, WizardServices& window,
                                           EventPump& pump) {
    std::optional<std::string> forcedPort;
    if (!options.port.empty()) forcedPort = options.port;
    const std::filesystem::path programFolder = QCoreApplication::applicationDirPath().toStdString();
    return std::make_unique<CableBackend>(forcedPort, state, window, pump, programFolder);
}

}  // namespace vor
