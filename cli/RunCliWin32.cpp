// The terminal run's shell on Windows: the Win32 event pump and serial port, no Qt.

#include <set>
#include <string>

#include "cli/RunCli.h"
#include "platform/win32/Win32EventPump.h"
#include "platform/win32/Win32InterfacePort.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32SerialPort.h"

namespace vor {

namespace {

std::set<std::string> CablePorts() {
    std::set<std::string> ports;
    if (const auto found = FindCableComPort()) ports.insert(*found);
    return ports;
}

PortOpenOutcome TryPort(const std::string& name) {
    Win32SerialPort port;
    return port.open(name);
}

}  // namespace

int RunCli(const CliOptions& options, int&, char**) {
    const std::string programDir = ProgramFolder();
    if (options.listPorts) return ListCables(programDir, CablePorts(), TryPort);
    Win32EventPump pump;
    const CliSystem system{pump, [&pump] { pump.endProgram(); }, StartDetachedProgram};
    return RunTerminalUpdate(options, programDir, system);
}

}  // namespace vor
