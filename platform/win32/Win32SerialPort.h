#pragma once
// The serial line to the DC over the Win32 communications API: \\.\COMn at 38400
// bit/s, 8N1, no flow control, DTR and RTS on. An overlapped read of one byte is always
// pending; its completion is an event of Win32Waits, and the pump then takes every byte
// the driver holds besides, so received bytes reach the data handler from the event
// pump (inside EventPump::yieldUntil) as soon as the first of them is there. (A read
// that "returns at the first byte" by its time-outs never completes under Wine, and
// WaitCommEvent there wakes every few milliseconds with nothing.) A read or write that fails
// (the cable pulled) reaches the failure handler once and closes the port; reopen()
// and later writes (at most every ReopenIntervalMs) open the same name again, so when
// the diver plugs the cable back in the next command reaches the DC. Only the USB device
// first opened is taken back; another device under the name counts as no cable.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PortOpen.h"
#include "platform/SerialPort.h"
#include "platform/UsbIdentity.h"
#include "platform/win32/Win32Waits.h"

namespace vor {

class Win32SerialPort : public SerialPort {
public:
    static constexpr DWORD LineSpeed = 38400;
    static constexpr ULONGLONG ReopenIntervalMs = 500;

    explicit Win32SerialPort(Win32Waits& waits = Win32Waits::Instance());
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    // Opens "COM5" (or "\\.\COM5") with the DC's line settings. A port already open is
    // closed first.
    PortOpenOutcome open(const std::string& portName);
    void close();
    bool isOpen() const { return port_ != INVALID_HANDLE_VALUE; }

    // SerialPort
    void discardBuffers() override;
    void write(std::span<const std::uint8_t> bytes) override;
    void setHandlers(DataHandler onData, FailureHandler onFailure) override;
    bool reopen() override;

private:
    PortOpenOutcome openNamed(const std::string& portName);
    // Takes the port for this process among the programs of this kind; false when
    // another one has it.
    bool claim(const std::string& portName);
    bool configure(std::string& detail);
    void startRead();
    void onReadDone();
    void cancelRead();
    bool takeAvailable(std::vector<std::uint8_t>& chunk);
    void fail(PortFailure failure, const std::string& detail);
    bool reopenAfterFailure();

    Win32Waits& waits_;
    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE claim_ = nullptr;      // the port's named mutex while it is open
    HANDLE readEvent_ = nullptr;  // the pending one-byte read's
    HANDLE ioEvent_ = nullptr;    // of the reads and writes that are waited for at once
    OVERLAPPED read_{};
    std::uint8_t firstByte_ = 0;
    bool readPending_ = false;
    DataHandler onData_;
    FailureHandler onFailure_;
    bool dead_ = false;         // failed since it was opened: writes go nowhere
    std::string openedName_;    // the last port opened, for reopening after a failure
    UsbIdentity openedDevice_;  // what the system told about it when the user's open succeeded
    ULONGLONG lastReopen_ = 0;
};

// The system's text for a Win32 error code, without its line end.
std::string Win32ErrorText(DWORD error);

}  // namespace vor
