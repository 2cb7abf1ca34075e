#include "platform/win32/Win32InterfacePort.h"

#include "platform/PortDiscovery.h"
#include "platform/Registry.h"

namespace vor {

std::optional<std::string> FindCableComPort() {
    const auto registry = MakeWin32Registry();
    PortDiscovery discovery(*registry);
    if (!discovery.FindInterfacePort()) return std::nullopt;
    return "COM" + std::to_string(discovery.ComPortNumber);
}

PortOpenOutcome OpenInterfacePort(Win32SerialPort& port, const std::optional<std::string>& forcedPortName) {
    const std::optional<std::string> name = forcedPortName ? forcedPortName : FindCableComPort();
    if (!name || name->empty()) {
        PortOpenOutcome outcome;
        outcome.result = PortOpenResult::NotFound;
        outcome.detail = "no interface cable found";
        return outcome;
    }
    return port.open(*name);
}

}  // namespace vor
