#pragma once
// The USB device behind a Windows COM port, from the devices the system lists among
// its serial ports. Plain text rules, the same on every system; the list itself comes
// from SetupAPI on Windows (platform/win32/PresentPorts.h), or from a test.

#include <string>
#include <vector>

#include "platform/UsbIdentity.h"

namespace vor {

// A serial-port device that is plugged in: its instance path
// ("FTDIBUS\VID_0403+PID_F460+FT4ABCDEA\0000", "USB\VID_0403&PID_F460\FT4ABCDE") and
// the port name its driver took ("COM5").
struct PortDevice {
    std::string instancePath;
    std::string portName;
};

// The vendor and product named in the path of the device that has `portName`, and the
// path itself as its serial number: it holds the cable's serial number, or the USB
// socket of a cable without one. Empty when no listed device has the port (a port that
// Wine maps to a pseudo-terminal), which is then reopened by name, as on Linux.
UsbIdentity IdentityOfPort(const std::vector<PortDevice>& present, const std::string& portName);

}  // namespace vor
