#include "platform/win32/Win32SerialPort.h"

#include "platform/WindowsPortName.h"
#include "platform/win32/PresentPorts.h"
#include "platform/win32/Utf16.h"

namespace vor {

namespace {

// A write that the driver has not taken after this long counts as failed: without flow
// control only a dead device holds bytes back.
constexpr DWORD WriteLimitMs = 2000;

std::string DevicePath(const std::string& portName) {
    if (portName.rfind("\\\\.\\", 0) == 0) return portName;
    return "\\\\.\\" + portName;
}

PortOpenResult ResultOfOpenError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return PortOpenResult::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return PortOpenResult::PermissionDenied;
    default: return PortOpenResult::Failed;
    }
}

}  // namespace

std::string Win32ErrorText(DWORD error) {
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text ? std::string(text, length) : "error " + std::to_string(error);
    if (text) ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return result;
}

Win32SerialPort::Win32SerialPort(Win32Waits& waits) : waits_(waits) {
    readEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ioEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

Win32SerialPort::~Win32SerialPort() {
    close();
    if (readEvent_) ::CloseHandle(readEvent_);
    if (ioEvent_) ::CloseHandle(ioEvent_);
}

PortOpenOutcome Win32SerialPort::open(const std::string& portName) {
    PortOpenOutcome outcome = openNamed(portName);
    if (outcome.result == PortOpenResult::Opened) {
        openedName_ = outcome.portName;
        openedDevice_ = PresentIdentityOfPort(openedName_);
    }
    return outcome;
}

PortOpenOutcome Win32SerialPort::openNamed(const std::string& typedName) {
    close();
    dead_ = false;
    PortOpenOutcome outcome;
    const std::string portName = ComPortName(typedName);
    outcome.portName = portName;
    // NUL or CON would open and swallow or show the DC's bytes.
    if (IsReservedDeviceName(portName)) {
        outcome.result = PortOpenResult::Failed;
        outcome.systemError = ERROR_INVALID_NAME;
        outcome.detail = "a device name that Windows reserves";
        return outcome;
    }
    if (!readEvent_ || !ioEvent_) {
        outcome.result = PortOpenResult::Failed;
        outcome.detail = "no event for the port: " + Win32ErrorText(::GetLastError());
        return outcome;
    }
    // Exclusive: a second program on the same cable gets "access denied".
    if (!claim(portName)) {
        outcome.result = PortOpenResult::PermissionDenied;
        outcome.systemError = ERROR_SHARING_VIOLATION;
        outcome.detail = "in use by another vor-fwupdate";
        return outcome;
    }
    port_ = ::CreateFileW(Utf16(DevicePath(portName)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        close();  // the claim goes with the port
        outcome.result = ResultOfOpenError(error);
        outcome.systemError = error;
        outcome.detail = Win32ErrorText(error);
        return outcome;
    }
    if (!configure(outcome.detail)) {
        outcome.systemError = ::GetLastError();
        close();
        outcome.result = PortOpenResult::Failed;
        return outcome;
    }
    waits_.add(readEvent_, [this] { onReadDone(); });
    startRead();
    outcome.result = PortOpenResult::Opened;
    return outcome;
}

bool Win32SerialPort::configure(std::string& detail) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port_, &dcb)) {
        detail = "cannot read the line settings: " + Win32ErrorText(::GetLastError());
        return false;
    }
    dcb.BaudRate = LineSpeed;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!::SetCommState(port_, &dcb)) {
        detail = "cannot set 38400 bit/s 8N1: " + Win32ErrorText(::GetLastError());
        return false;
    }
    // The FTDI cable takes DTR and RTS; a line without modem control refuses them and
    // still carries the data.
    ::EscapeCommFunction(port_, SETDTR);
    ::EscapeCommFunction(port_, SETRTS);
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = WriteLimitMs;  // no read time-outs: a read waits for its bytes
    if (!::SetCommTimeouts(port_, &timeouts)) {
        detail = "cannot set the time-outs: " + Win32ErrorText(::GetLastError());
        return false;
    }
    ::SetupComm(port_, 4096, 4096);
    ::PurgeComm(port_, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    return true;
}

void Win32SerialPort::close() {
    if (claim_) ::CloseHandle(claim_);
    claim_ = nullptr;
    if (port_ == INVALID_HANDLE_VALUE) return;
    cancelRead();
    waits_.remove(readEvent_);
    ::CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
}

bool Win32SerialPort::claim(const std::string& portName) {
    // Windows refuses a second open of a port, but not every driver does (nor Wine): two
    // of these programs on one cable would write the DC at once and share its backup.
    claim_ = ::CreateMutexW(nullptr, FALSE, Utf16("Global\\vor-fwupdate-port-" + ComPortKey(portName)).c_str());
    if (claim_ && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(claim_);
        claim_ = nullptr;
        return false;
    }
    return true;  // also when no mutex could be made: the open still decides
}

void Win32SerialPort::startRead() {
    if (port_ == INVALID_HANDLE_VALUE || dead_ || readPending_) return;
    read_ = OVERLAPPED{};
    read_.hEvent = readEvent_;
    ::ResetEvent(readEvent_);
    DWORD got = 0;
    if (::ReadFile(port_, &firstByte_, 1, &got, &read_) || ::GetLastError() == ERROR_IO_PENDING) {
        // Done at once sets the event as well: the pump serves it.
        readPending_ = true;
        return;
    }
    fail(PortFailure::Unplugged, "reading failed: " + Win32ErrorText(::GetLastError()));
}

void Win32SerialPort::onReadDone() {
    if (!readPending_) {
        ::ResetEvent(readEvent_);
        return;
    }
    DWORD got = 0;
    if (!::GetOverlappedResult(port_, &read_, &got, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE) return;
        readPending_ = false;
        fail(PortFailure::Unplugged, "reading failed: " + Win32ErrorText(error));
        return;
    }
    readPending_ = false;
    std::vector<std::uint8_t> chunk;
    if (got == 1) chunk.push_back(firstByte_);
    if (!takeAvailable(chunk)) return;
    if (!chunk.empty() && onData_) onData_(chunk);
    startRead();
}

bool Win32SerialPort::takeAvailable(std::vector<std::uint8_t>& chunk) {
    // Only what the driver holds is asked for, so the read never waits for more.
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(port_, &errors, &status)) {
        fail(PortFailure::Unplugged, "the port's state cannot be read: " + Win32ErrorText(::GetLastError()));
        return false;
    }
    if (status.cbInQue == 0) return true;
    const std::size_t before = chunk.size();
    chunk.resize(before + status.cbInQue);
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent_;
    ::ResetEvent(ioEvent_);
    DWORD got = 0;
    BOOL done = ::ReadFile(port_, chunk.data() + before, status.cbInQue, &got, &overlapped);
    if (!done && ::GetLastError() == ERROR_IO_PENDING) done = ::GetOverlappedResult(port_, &overlapped, &got, TRUE);
    if (!done) {
        fail(PortFailure::Unplugged, "reading failed: " + Win32ErrorText(::GetLastError()));
        return false;
    }
    chunk.resize(before + got);
    return true;
}

void Win32SerialPort::cancelRead() {
    if (!readPending_) return;
    ::CancelIoEx(port_, &read_);
    DWORD got = 0;
    ::GetOverlappedResult(port_, &read_, &got, TRUE);  // a byte it took is dropped with the rest
    readPending_ = false;
    ::ResetEvent(readEvent_);
}

void Win32SerialPort::discardBuffers() {
    if (port_ == INVALID_HANDLE_VALUE || dead_) return;
    cancelRead();
    ::PurgeComm(port_, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    startRead();
}
void Win32SerialPort::write(std::span<const std::uint8_t> bytes) {
    if ((dead_ || port_ == INVALID_HANDLE_VALUE) && !reopenAfterFailure()) return;
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent_;
    ::ResetEvent(ioEvent_);
    DWORD written = 0;
    BOOL done = ::WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &overlapped);
    if (!done && ::GetLastError() == ERROR_IO_PENDING) done = ::GetOverlappedResult(port_, &overlapped, &written, TRUE);
    if (!done) {
        fail(PortFailure::WriteFailed, "writing failed: " + Win32ErrorText(::GetLastError()));
        return;
    }
    if (written != bytes.size()) fail(PortFailure::WriteFailed, "the driver took only part of a command");
}

void Win32SerialPort::setHandlers(DataHandler onData, FailureHandler onFailure) {
    onData_ = std::move(onData);
    onFailure_ = std::move(onFailure);
}

bool Win32SerialPort::reopen() {
    if (!dead_ && port_ != INVALID_HANDLE_VALUE) return true;
    if (openedName_.empty()) return false;
    lastReopen_ = ::GetTickCount64();
    if (!MayReopen(openedDevice_, PresentIdentityOfPort(openedName_))) return false;
    return openNamed(openedName_).result == PortOpenResult::Opened;
}

bool Win32SerialPort::reopenAfterFailure() {
    if (lastReopen_ != 0 && ::GetTickCount64() - lastReopen_ < ReopenIntervalMs) return false;
    return reopen();
}

void Win32SerialPort::fail(PortFailure failure, const std::string& detail) {
    if (dead_) return;
    dead_ = true;
    // Closed now: a dead handle's read would complete with an error at every yield.
    close();
    if (onFailure_) onFailure_(failure, detail);
}

}  // namespace vor
