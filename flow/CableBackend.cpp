#include "flow/CableBackend.h"

#include "platform/InterfacePort.h"
#include "platform/QtSerialPort.h"
// After the port: its OpenInterfacePort must be known to the template.
#include "flow/BackendOnPort.h"

namespace vor {

std::unique_ptr<WizardBackend> MakeCableBackend(const std::string& port, WizardState& state, WizardServices& services,
                                                EventPump& pump, const std::filesystem::path& programFolder) {
    return MakeBackendOnPort<QtSerialPort>(port, state, services, pump, programFolder);
}

}  // namespace vor
