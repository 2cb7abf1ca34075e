#pragma once
// The outcome of opening the cable's serial port, as the adapters report it and the
// window explains it.

#include <string>

namespace vor {

enum class PortOpenResult {
    Opened,            // the cable's port is open at 38400 bit/s
    NotFound,          // no cable port found
    PermissionDenied,  // the port exists but this user may not open it
    Failed,            // found, but opening failed for another reason
};

struct PortOpenOutcome {
    PortOpenResult result = PortOpenResult::NotFound;
    std::string portName;           // the port found, when any
    std::string detail;             // the system's reason, for the message box
    bool named = false;             // the user named the port (--port): it is examined, never searched for
    unsigned long systemError = 0;  // the system's number for the failure (GetLastError); 0: none or not kept
};

}  // namespace vor
