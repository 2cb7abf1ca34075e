#include "cli/ListPorts.h"

#include <QSerialPortInfo>
#include <cstdint>
#include <set>

#include "cli/CliOptions.h"
#include "platform/InterfacePort.h"
#include "platform/PortDiagnosis.h"
#include "platform/PortDiagnosisText.h"
#include "platform/QtSerialPort.h"
#include "session/PrintableText.h"

namespace vor {

namespace {

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

}  // namespace

int ListPorts(const std::function<void(const std::string&)>& print,
              const std::function<std::string(std::int32_t)>& getText) {
    const auto diagnose = LivePortDiagnosis();
    const auto explain = [&](const PortOpenOutcome& outcome) {
        const PortDiagnosis diagnosis = diagnose ? diagnose(outcome) : PortDiagnosis{};
        return PortDiagnosisText(diagnosis, getText);
    };
    const std::set<std::string> ports = CablePorts();
    if (ports.empty()) {
        print("No interface cable found.\n" + explain({PortOpenResult::NotFound, {}, "no interface cable found"}));
        return ExitNothingChanged;
    }
    bool usable = false;
    for (const std::string& name : ports) {
        QtSerialPort port;
        const PortOpenOutcome outcome = port.open(name);
        if (outcome.result == PortOpenResult::Opened) {
            usable = true;
            print(PrintableText(name) + ": interface cable, ready");
            port.close();
        } else {
            print(PrintableText(name) + ": interface cable, not usable\n" + explain(outcome));
        }
    }
    return usable ? ExitUpdated : ExitNothingChanged;
}

}  // namespace vor
