#pragma once
// Why the interface cable's serial port cannot be used, found from what Linux shows
// in sysfs, /dev and /proc. Plain C++ over a root folder ("/" on a live system), so
// every cause can be reproduced on a fake tree.
//
// Hazard: /proc only shows the open files of processes the user may inspect; a port
// held by a root service (ModemManager, brltty) is then reported as busy without a
// name. Read-only: nothing under the root is changed, a stale lock file included.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/PortOpen.h"

namespace vor {

enum class PortProblem {
    NoCable,           // no USB device 0403:F460 is connected
    NoSerialDriver,    // the cable is connected, but no ttyUSB port was made for it
    PermissionDenied,  // the port exists, this user may not open it for reading and writing
    HeldByOther,       // another process has the port open, or its lock file names a running process
    StaleLock,         // a lock file names a process that no longer runs
    Unexplained,       // the port looks usable; the open failed for another reason
    NotAPort,          // the name the user gave is missing, unreachable or no device (openError says why)
    // Windows, which cannot tell who holds a port:
    PortInUse,      // another program has the port open
    AccessDenied,   // Windows refused the port for another reason
    NoSuchPort,     // no port of the name the user gave
    ReservedName,   // a device name Windows reserves (CON, NUL, LPT1, COM0...)
    NotSerialPort,  // the name the user gave is a file, a folder or another device
};

struct PortDiagnosis {
    PortProblem problem = PortProblem::NoCable;
    std::string portPath;              // "/dev/ttyUSB0" once a port is known
    std::vector<std::string> holders;  // names of the processes that have it open, from /proc/PID/comm
    std::string openError;             // the system's reason of the failed open, if any
    std::string lockFile;              // "/run/lock/LCK..ttyUSB0" of a stale lock
};

struct PortDiagnosisSystem {
    std::filesystem::path root = "/";
    // Whether this user may open the device node for reading and writing. The default
    // asks the kernel (access(2)), which also honours the ACL that uaccess sets.
    std::function<bool(const std::filesystem::path& node)> mayReadWrite;
    int ownPid = 0;  // skipped in the /proc scan; 0 = this process
};

// USB identifiers of the cable as sysfs writes them.
constexpr const char* CableSysfsVendor = "0403";
constexpr const char* CableSysfsProduct = "f460";

// Looks at `portName` ("/dev/ttyUSB0", "ttyUSB0") when the open got that far, else
// searches the cable; `openError` is carried into the result. A port the user `named`
// is never replaced by a search: when it cannot be looked up (missing, a link loop, a
// name too long) or is no device (a plain file, a folder, a FIFO), that is the finding,
// with the system's reason.
PortDiagnosis DiagnosePort(const PortDiagnosisSystem& system, const std::string& portName, const std::string& openError,
                           bool named = false);

// The diagnosis of a failed open: a port not found is searched anew, unless the user
// named it. A named port whose open failed for a reason other than being refused
// (busy, locked, no permission) is taken for a name that is no serial port.
PortDiagnosis DiagnoseOpenFailure(const PortDiagnosisSystem& system, const PortOpenOutcome& outcome);

// DiagnoseOpenFailure on the running system; empty where it cannot be examined this way.
std::function<PortDiagnosis(const PortOpenOutcome&)> LivePortDiagnosis();

// The ttyUSB names of every connected cable, sorted; an empty list for a cable
// without a driver. Nothing at all when no cable is connected.
struct CableDevice {
    std::filesystem::path sysfsPath;
    std::vector<std::string> ttys;
};
std::vector<CableDevice> FindCableDevices(const std::filesystem::path& root);

// Names (from /proc/PID/comm) of the processes whose open files include `devicePath`,
// when that is a serial port (a tty with a device behind it in sysfs); none for any
// other path, which every shell may hold (/dev/null, a terminal).
std::vector<std::string> FindPortHolders(const std::filesystem::path& root, const std::string& devicePath, int ownPid);

// Folders where serial-port lock files "LCK..<port>" are kept, searched in this order.
inline constexpr const char* PortLockFolders[] = {"var/lock",       "run/lock",  "var/spool/locks",
                                                  "var/spool/uucp", "etc/locks", "tmp"};

struct PortLock {
    std::filesystem::path path;  // as the live system names it
    int pid = 0;                 // the process it names; 0 when it names none
};

// The lock file of `devicePath`, if any. Its process number is read from the text
// form (first word; the UUCP and Qt forms) or the 4-byte binary form.
std::optional<PortLock> FindPortLock(const std::filesystem::path& root, const std::string& devicePath);

}  // namespace vor
