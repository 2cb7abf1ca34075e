// Windows: a failed open is explained by its own error and the name the diver typed.
// Windows does not say which program holds a port, so none is named.

#include <windows.h>

#include "platform/PortDiagnosis.h"
#include "platform/WindowsPortName.h"
#include "platform/win32/Utf16.h"

namespace vor {

namespace {

// A file or a folder of that name: the diver typed a path, not a port.
bool IsFileOrFolder(const std::string& name) {
    if (LooksLikeComPort(name)) return false;
    return ::GetFileAttributesW(Utf16(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

PortProblem ProblemOf(const PortOpenOutcome& outcome) {
    if (IsReservedDeviceName(outcome.portName)) return PortProblem::ReservedName;
    if (outcome.named && IsFileOrFolder(outcome.portName)) return PortProblem::NotSerialPort;
    switch (outcome.systemError) {
    case ERROR_SHARING_VIOLATION: return PortProblem::PortInUse;
    // A port that another program has open is refused as "access denied" by most
    // drivers; the box says both.
    case ERROR_ACCESS_DENIED: return PortProblem::AccessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return outcome.named ? PortProblem::NoSuchPort : PortProblem::NoCable;
    default: break;
    }
    // Opened, but it takes no line settings: some other device.
    if (outcome.result == PortOpenResult::Failed && outcome.named) return PortProblem::NotSerialPort;
    return PortProblem::Unexplained;
}

}  // namespace

std::function<PortDiagnosis(const PortOpenOutcome&)> LivePortDiagnosis() {
    return [](const PortOpenOutcome& outcome) {
        PortDiagnosis diagnosis;
        diagnosis.portPath = outcome.portName;
        diagnosis.openError = outcome.detail;
        diagnosis.problem = outcome.result == PortOpenResult::NotFound && outcome.portName.empty()
                                ? PortProblem::NoCable
                                : ProblemOf(outcome);
        return diagnosis;
    };
}

}  // namespace vor
