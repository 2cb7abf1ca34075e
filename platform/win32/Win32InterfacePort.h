#pragma once
// Finding and opening the DC's interface cable on Windows, without Qt.

#include <optional>
#include <string>

#include "platform/PortOpen.h"
#include "platform/win32/Win32SerialPort.h"

namespace vor {

// "COMn" of the cable as the registry tells it; empty when no cable is attached.
std::optional<std::string> FindCableComPort();

// Opens the forced port when a name is given, else the one the registry names.
PortOpenOutcome OpenInterfacePort(Win32SerialPort& port, const std::optional<std::string>& forcedPortName);

}  // namespace vor
