#include "platform/PortDiagnosis.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/sysmacros.h>
#endif

namespace fs = std::filesystem;

namespace vor {
namespace {

std::string ReadTrimmed(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// Every entry of a folder; an unreadable or missing folder has none.
std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// ttyUSB ports sit in the device's interface folders ("1-1:1.0/ttyUSB0").
std::vector<std::string> TtysOf(const fs::path& device) {
    std::vector<std::string> ttys;
    const std::string interfacePrefix = device.filename().string() + ":";
    for (const fs::path& iface : Entries(device)) {
        if (iface.filename().string().rfind(interfacePrefix, 0) != 0 || !IsDirectory(iface)) continue;
        for (const fs::path& entry : Entries(iface)) {
            const std::string name = entry.filename().string();
            if (name.rfind("ttyUSB", 0) == 0) ttys.push_back(name);
        }
    }
    std::sort(ttys.begin(), ttys.end());
    return ttys;
}

bool AskKernelMayReadWrite(const fs::path& node) {
#ifdef _WIN32
    return _access(node.string().c_str(), 6) == 0;
#else
    return ::access(node.c_str(), R_OK | W_OK) == 0;
#endif
}

int CurrentPid() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

bool IsPidName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Inside `root`, the node of a device path as the live system names it. A relative
// path ("./ttyS0") names a file of the working folder.
fs::path UnderRoot(const fs::path& root, const std::string& devicePath) {
    const fs::path path(devicePath);
    if (path.is_relative()) return root == fs::path("/") ? path : root / path;
    return root / path.relative_path();
}

std::string NotADeviceReason(const fs::file_status& status) {
    switch (status.type()) {
    case fs::file_type::directory: return "a folder, not a device";
    case fs::file_type::fifo: return "a FIFO, not a device";
    default: return "a file, not a device";
    }
}

// As the serial port takes a name: a path as it is, a bare name under /dev.
std::string DevicePathOf(const std::string& portName) {
    const bool path = portName.front() == '/' || portName.starts_with("./") || portName.starts_with("../");
    return path ? portName : "/dev/" + portName;
}

bool IsSerialPort(const fs::path& root, const std::string& devicePath) {
    std::error_code ec;
    return fs::exists(root / "sys/class/tty" / fs::path(devicePath).filename() / "device", ec);
}

std::string ProcessName(const fs::path& root, const std::string& pid) {
    std::ifstream comm(root / "proc" / pid / "comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "process " + pid : name;
}

int LockPid(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = bytes.find_first_not_of(' ');
    if (at != std::string::npos && std::isdigit(static_cast<unsigned char>(bytes[at]))) {
        long pid = 0;
        for (; at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && pid < 1'000'000'000; ++at)
            pid = pid * 10 + (bytes[at] - '0');
        return static_cast<int>(pid);
    }
    if (bytes.size() != 4) return 0;
    // The binary form is the writer's own byte order: little-endian on the PCs this runs on.
    return static_cast<int>(static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8 |
                            static_cast<unsigned char>(bytes[2]) << 16 | static_cast<unsigned char>(bytes[3]) << 24);
}

// The process whose flock holds the device's node, as /proc/locks lists it ("1: FLOCK
// ADVISORY WRITE <pid> <major>:<minor>:<inode> 0 EOF", device numbers in hex); 0 for none.
// Such a lock is what another run of this program holds, whatever name it opened.
int FlockHolder(const fs::path& root, const fs::path& node, int ownPid) {
#ifdef __linux__
    struct stat st {};
    if (::stat(node.c_str(), &st) != 0) return 0;
    char device[64];
    std::snprintf(device, sizeof device, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    std::ifstream locks(root / "proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream words(line);
        std::string id, kind, mode, access, where;
        int pid = 0;
        if (!(words >> id >> kind >> mode >> access >> pid >> where)) continue;  // a waiter's line has "->"
        if (kind == "FLOCK" && where == device && pid > 0 && pid != ownPid) return pid;
    }
#else
    (void)root, (void)node, (void)ownPid;
#endif
    return 0;
}

PortDiagnosis Examine(const PortDiagnosisSystem& system, const std::string& devicePath, const std::string& openError) {
    PortDiagnosis d;
    d.portPath = devicePath;
    d.openError = openError;
    const fs::path node = UnderRoot(system.root, devicePath);
    const auto mayReadWrite = system.mayReadWrite ? system.mayReadWrite : AskKernelMayReadWrite;
    if (!mayReadWrite(node)) {
        d.problem = PortProblem::PermissionDenied;
        return d;
    }
    const int ownPid = system.ownPid ? system.ownPid : CurrentPid();
    if (const int pid = FlockHolder(system.root, node, ownPid)) {
        const std::string number = std::to_string(pid);
        const std::string name = ProcessName(system.root, number);
        d.holders = {name == "process " + number ? name : name + " (process " + number + ")"};
        d.problem = PortProblem::HeldByOther;
        return d;
    }
    d.holders = FindPortHolders(system.root, devicePath, ownPid);
    d.problem = d.holders.empty() ? PortProblem::Unexplained : PortProblem::HeldByOther;
    // Without an open file the port may still be taken by its lock file.
    const std::optional<PortLock> lock = d.holders.empty() ? FindPortLock(system.root, devicePath) : std::nullopt;
    if (!lock || lock->pid == ownPid) return d;
    std::error_code ec;
    if (lock->pid > 0 && fs::exists(system.root / "proc" / std::to_string(lock->pid), ec)) {
        d.holders.push_back(ProcessName(system.root, std::to_string(lock->pid)));
        d.problem = PortProblem::HeldByOther;
    } else {
        d.lockFile = lock->path.string();
        d.problem = PortProblem::StaleLock;
    }
    return d;
}

}  // namespace

std::vector<CableDevice> FindCableDevices(const fs::path& root) {
    std::vector<CableDevice> cables;
    for (const fs::path& device : Entries(root / "sys/bus/usb/devices")) {
        if (ReadTrimmed(device / "idVendor") != CableSysfsVendor) continue;
        if (ReadTrimmed(device / "idProduct") != CableSysfsProduct) continue;
        cables.push_back({device, TtysOf(device)});
    }
    return cables;
}

std::vector<std::string> FindPortHolders(const fs::path& root, const std::string& devicePath, int ownPid) {
    std::vector<std::string> names;
    if (!IsSerialPort(root, devicePath)) return names;
    for (const fs::path& process : Entries(root / "proc")) {
        const std::string pid = process.filename().string();
        if (!IsPidName(pid) || pid == std::to_string(ownPid)) continue;
        for (const fs::path& fd : Entries(process / "fd")) {  // other users' folders are unreadable: skipped
            std::error_code ec;
            const fs::path target = fs::read_symlink(fd, ec);
            if (ec || target.string() != devicePath) continue;
            const std::string name = ProcessName(root, pid);
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
            break;
        }
    }
    return names;
}

std::optional<PortLock> FindPortLock(const fs::path& root, const std::string& devicePath) {
    const std::string name = "LCK.." + fs::path(devicePath).filename().string();
    for (const char* folder : PortLockFolders) {
        std::error_code ec;
        const fs::path file = root / folder / name;
        if (fs::is_regular_file(file, ec)) return PortLock{fs::path("/") / folder / name, LockPid(file)};
    }
    return std::nullopt;
}

PortDiagnosis DiagnosePort(const PortDiagnosisSystem& system, const std::string& portName, const std::string& openError,
                           bool named) {
    if (!portName.empty()) {
        const std::string devicePath = DevicePathOf(portName);
        std::error_code ec;
        const fs::file_status status = fs::status(UnderRoot(system.root, devicePath), ec);
        const bool found = !ec && fs::exists(status);
        if (found && (!named || fs::is_character_file(status))) return Examine(system, devicePath, openError);
        if (named) {
            PortDiagnosis d;
            d.problem = PortProblem::NotAPort;
            d.portPath = devicePath;
            d.openError = ec ? ec.message() : !openError.empty() ? openError : NotADeviceReason(status);
            return d;
        }
    }
    const std::vector<CableDevice> cables = FindCableDevices(system.root);
    for (const CableDevice& cable : cables) {
        for (const std::string& tty : cable.ttys) {
            std::error_code ec;
            if (fs::exists(system.root / "dev" / tty, ec)) return Examine(system, "/dev/" + tty, openError);
        }
    }
    PortDiagnosis d;
    d.openError = openError;
    d.problem = cables.empty() ? PortProblem::NoCable : PortProblem::NoSerialDriver;
    return d;
}

PortDiagnosis DiagnoseOpenFailure(const PortDiagnosisSystem& system, const PortOpenOutcome& outcome) {
    const bool searched = outcome.result == PortOpenResult::NotFound && !outcome.named;
    PortDiagnosis d = DiagnosePort(system, searched ? std::string() : outcome.portName, outcome.detail, outcome.named);
    // A device that is no serial line (/dev/null): not opened, though nobody holds it.
    if (outcome.named && outcome.result == PortOpenResult::Failed && d.problem == PortProblem::Unexplained)
        d.problem = PortProblem::NotAPort;
    return d;
}

}  // namespace vor
