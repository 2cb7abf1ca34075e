// The cable on Linux: Qt's serial port, found by its USB identity.

#include <QSerialPortInfo>

#include "app/Cable.h"
#include "platform/InterfacePort.h"
#include "platform/QtSerialPort.h"
// After the port: its OpenInterfacePort must be known to the template.
#include "app/BackendOnPort.h"

namespace vor {

std::unique_ptr<WizardBackend> MakeCableBackend(const std::string& port, WizardState& state, WizardServices& services,
                                                EventPump& pump, const BackupFolders& backupFolders) {
    return MakeBackendOnPort<QtSerialPort>(port, state, services, pump, backupFolders);
}

std::set<std::string> CablePorts() {
    std::set<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.hasVendorIdentifier() && info.hasProductIdentifier() && info.vendorIdentifier() == CableVendorId &&
            info.productIdentifier() == CableProductId)
            ports.insert(info.systemLocation().toStdString());
    }
    if (ports.empty())
        if (const auto found = FindCablePortName()) ports.insert(*found);
    return ports;
}

PortOpenOutcome TryCablePort(const std::string& name) {
    QtSerialPort port;
    return port.open(name);
}

}  // namespace vor
