#pragma once
// Finding and opening the DC's interface cable for the wizard.

#include <optional>
#include <string>

#include "platform/QtSerialPort.h"
#include "platform/PortOpen.h"

namespace vor {

// USB identifiers of the interface cable (an FTDI bridge).
constexpr quint16 CableVendorId = 0x0403;
constexpr quint16 CableProductId = 0xF460;

// The cable's port: on Windows from the registry, elsewhere the serial port whose
// USB identifiers are the cable's. Empty when no cable is attached.
std::optional<std::string> FindCablePortName();

// Opens the forced port when a name is given, else the discovered one.
PortOpenOutcome OpenInterfacePort(QtSerialPort& port, const std::optional<std::string>& forcedPortName);

}  // namespace vor
