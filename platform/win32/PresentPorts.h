#pragma once
// The serial-port devices that are plugged in now, as SetupAPI lists them (the
// "Ports" device class): the instance path and the port name of each.

#include <vector>

#include "platform/ComPortIdentity.h"

namespace vor {

std::vector<PortDevice> PresentSerialPorts();

// IdentityOfPort() over PresentSerialPorts(): what Win32SerialPort checks before it
// opens a port again.
UsbIdentity PresentIdentityOfPort(const std::string& portName);

}  // namespace vor
