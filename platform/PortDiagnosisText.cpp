#include "platform/PortDiagnosisText.h"

#include <utility>

#include "session/PrintableText.h"

namespace vor {
namespace {

constexpr const char* Crlf = "\r\n";

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

std::string Join(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
    return out;
}

}  // namespace

std::string PortMessageFallback(std::int32_t number) {
    switch (number) {
    case Msg::NoSerialDriver:
        return "The interface cable is connected, but no serial port has been made for it: no serial driver has "
               "taken the cable.";
    case Msg::NoSerialDriverHelp:
        return "Unplug the cable, wait 5 seconds and plug it in again. If the program brltty is installed and you do "
               "not use a Braille display, remove brltty: it can take such cables.";
    case Msg::NoPermission: return "The interface cable's serial port %1 exists, but your user may not open it.";
    case Msg::NoPermissionHelp:
        return "Install the package \"vor-fwupdate\": its udev rule gives the logged-in user access to the cable. "
               "Or add your user to the group \"dialout\" and log in again. Then unplug the cable and plug it in "
               "again.";
    case Msg::PortHeld: return "The interface cable's serial port %1 is in use by another program: %2.";
    case Msg::PortHeldHelp:
        return "Close that program. ModemManager and brltty take new serial ports by themselves: the udev rule of "
               "the package \"vor-fwupdate\" keeps ModemManager away from the cable; remove brltty if you do not use "
               "a Braille display. Then unplug the cable and plug it in again.";
    case Msg::PortOpenFailed: return "The interface cable's serial port %1 could not be opened.";
    case Msg::PortOpenFailedHelp:
        return "Another program may be using it. Close programs that use serial ports, unplug the cable, wait 5 "
               "seconds and plug it in again.";
    case Msg::PortNameHelp:
        return "Check the name given with --port: it must be the interface cable's serial port. Without --port the "
               "program finds the cable by itself.";
    case Msg::RetryOrQuit: return "Click OK to try again or Cancel to quit.";
    case Msg::PortInUse: return "Another program is using the interface cable's serial port %1.";
    case Msg::PortInUseHelp:
        return "Close the program that uses it, for example a dive log program or a terminal program. Windows does "
               "not tell which program it is.";
    case Msg::PortAccessDenied: return "Windows denied access to the interface cable's serial port %1.";
    case Msg::PortAccessDeniedHelp:
        return "Most often another program has the port open: close it. Otherwise unplug the cable, wait 5 seconds "
               "and plug it in again.";
    case Msg::NoSuchPort: return "There is no serial port %1 on this computer.";
    case Msg::NoSuchPortHelp:
        return "Plug the cable in and look up its port in the Device Manager under \"Ports (COM & LPT)\", then give "
               "that name with --port (COM and a number). Without --port the program finds the cable by itself.";
    case Msg::ReservedPortName: return "%1 is a device name that Windows reserves, not a serial port.";
    case Msg::NotSerialPort: return "%1 is not a serial port.";
    case Msg::StaleLock:
        return "The interface cable's serial port %1 is locked by the file %3, which a program that is no longer "
               "running left behind.";
    case Msg::StaleLockHelp:
        return "Delete that file. If your user may not, an administrator can (sudo rm %3). Restarting the computer "
               "also removes it.";
    default: return {};
    }
}

std::string PortDiagnosisText(const PortDiagnosis& diagnosis, const std::function<std::string(std::int32_t)>& getText) {
    if (diagnosis.problem == PortProblem::NoCable)
        return getText(Msg::CableNotFound) + "." + Crlf + getText(Msg::CheckCable);

    const auto text = [&](std::int32_t number) {
        std::string t = getText(number);
        if (t.empty()) t = PortMessageFallback(number);
        // Names from outside: a line break in one must not forge a line of the box.
        ReplaceAll(t, "%1", PrintableText(diagnosis.portPath));
        ReplaceAll(t, "%2", PrintableText(Join(diagnosis.holders)));
        ReplaceAll(t, "%3", PrintableText(diagnosis.lockFile));
        return t;
    };
    std::pair<std::int32_t, std::int32_t> pair;
    switch (diagnosis.problem) {
    case PortProblem::NoSerialDriver: pair = {Msg::NoSerialDriver, Msg::NoSerialDriverHelp}; break;
    case PortProblem::PermissionDenied: pair = {Msg::NoPermission, Msg::NoPermissionHelp}; break;
    case PortProblem::HeldByOther: pair = {Msg::PortHeld, Msg::PortHeldHelp}; break;
    case PortProblem::StaleLock: pair = {Msg::StaleLock, Msg::StaleLockHelp}; break;
    case PortProblem::NotAPort: pair = {Msg::PortOpenFailed, Msg::PortNameHelp}; break;
    case PortProblem::PortInUse: pair = {Msg::PortInUse, Msg::PortInUseHelp}; break;
    case PortProblem::AccessDenied: pair = {Msg::PortAccessDenied, Msg::PortAccessDeniedHelp}; break;
    case PortProblem::NoSuchPort: pair = {Msg::NoSuchPort, Msg::NoSuchPortHelp}; break;
    case PortProblem::ReservedName: pair = {Msg::ReservedPortName, Msg::PortNameHelp}; break;
    case PortProblem::NotSerialPort: pair = {Msg::NotSerialPort, Msg::PortNameHelp}; break;
    default: pair = {Msg::PortOpenFailed, Msg::PortOpenFailedHelp}; break;
    }
    std::string finding = text(pair.first);
    const bool reasonShown = diagnosis.problem == PortProblem::Unexplained ||
                             diagnosis.problem == PortProblem::NotAPort ||
                             diagnosis.problem == PortProblem::NotSerialPort;
    if (reasonShown && !diagnosis.openError.empty()) finding += " (" + PrintableText(diagnosis.openError) + ")";
    return finding + Crlf + Crlf + text(pair.second) + Crlf + Crlf + text(Msg::RetryOrQuit);
}

}  // namespace vor
