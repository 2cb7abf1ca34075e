#pragma once
// Names of serial ports as a diver types them on Windows ("COM5", "com5", "COM9:",
// "\\.\COM12"), and the device names Windows reserves for other things. Plain text
// rules, the same on every system.

#include <string>

namespace vor {

// "COM9:" as "COM9" (the mode command's form); "\\.\COM12" as "COM12"; other names as typed.
std::string ComPortName(const std::string& typed);

// ComPortName in capitals: the one text that every spelling of a port shares.
std::string ComPortKey(const std::string& typed);

// CON, PRN, AUX, NUL, COM0, LPT0-LPT9, CONIN$, CONOUT$ (any case, with or without
// "\\.\" or an extension): devices that are no serial port, or none at all.
bool IsReservedDeviceName(const std::string& name);

// "COM" and a number from 1 on.
bool LooksLikeComPort(const std::string& name);

}  // namespace vor
