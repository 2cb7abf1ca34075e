#include "platform/InterfacePort.h"

#include <QSerialPortInfo>

#ifdef _WIN32
#include "platform/PortDiscovery.h"
#include "platform/Registry.h"
#endif

namespace vor {

std::optional<std::string> FindCablePortName() {
#ifdef _WIN32
    const auto registry = MakeWin32Registry();
    PortDiscovery discovery(*registry);
    if (!discovery.FindInterfacePort()) return std::nullopt;
    return "COM" + std::to_string(discovery.ComPortNumber);
#else
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.hasVendorIdentifier() && info.hasProductIdentifier() && info.vendorIdentifier() == CableVendorId &&
            info.productIdentifier() == CableProductId)
            return info.systemLocation().toStdString();
    }
    return std::nullopt;
#endif
}

PortOpenOutcome OpenInterfacePort(QtSerialPort& port, const std::optional<std::string>& forcedPortName) {
    const std::optional<std::string> name = forcedPortName ? forcedPortName : FindCablePortName();
    if (!name || name->empty()) {
        PortOpenOutcome outcome;
        outcome.result = PortOpenResult::NotFound;
        outcome.detail = "no interface cable found";
        return outcome;
    }
    PortOpenOutcome outcome = port.open(*name);
    outcome.named = forcedPortName.has_value();
    return outcome;
}

}  // namespace vor
