// The terminal run's shell on Linux: Qt's event loop and serial port, without any
// window system.

#include <QCoreApplication>
#include <QProcess>
#include <QSerialPortInfo>
#include <set>
#include <string>

#include "cli/RunCli.h"
#include "platform/InterfacePort.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"

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

PortOpenOutcome TryPort(const std::string& name) {
    QtSerialPort port;
    return port.open(name);
}

}  // namespace

int RunCli(const CliOptions& options, int& argc, char** argv) {
    const QCoreApplication app(argc, argv);  // no window system is touched
    const std::string programDir = QCoreApplication::applicationDirPath().toStdString();
    if (options.listPorts) return ListCables(programDir, CablePorts(), TryPort);
    QtEventPump pump;
    const CliSystem system{pump, [&pump] { pump.endProgram(); },
                           [](const std::string& path) { QProcess::startDetached(QString::fromStdString(path), {}); }};
    return RunTerminalUpdate(options, programDir, system);
}

}  // namespace vor
