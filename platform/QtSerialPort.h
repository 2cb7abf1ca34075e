#pragma once
// The serial line to the DC over QSerialPort: 38400 bit/s, 8N1, no flow control,
// DTR and RTS on. Received bytes reach the data handler from Qt's event loop
// (inside EventPump::yieldUntil). A port error that means the device is gone
// (resource error, hang-up) reaches the failure handler once; the port is then
// closed, so its notifier cannot spin a core. reopen() and later writes try to open the
// same port again (writes at most every ReopenIntervalMs): when the diver plugs the
// cable back in, the next command reaches the DC; until then the writes go nowhere.
// Only the USB device first opened is taken back; another device under the name
// counts as no cable.

#include <QElapsedTimer>
#include <QSerialPort>
#include <string>

#include "platform/SerialPort.h"
#include "platform/UsbIdentity.h"
#include "platform/PortOpen.h"

namespace vor {

class QtSerialPort : public SerialPort {
public:
    static constexpr qint32 LineSpeed = 38400;
    static constexpr qint64 ReopenIntervalMs = 500;

    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    // Opens the named port ("ttyUSB0", "/dev/ttyUSB0", "COM5") with the DC's line
    // settings. A port already open is closed first.
    PortOpenOutcome open(const std::string& portName);
    void close();
    bool isOpen() const;

    // SerialPort
    void discardBuffers() override;
    void write(std::span<const std::uint8_t> bytes) override;
    void setHandlers(DataHandler onData, FailureHandler onFailure) override;
    bool reopen() override;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void fail(PortFailure failure, const std::string& detail);
    bool hungUp() const;
    PortOpenOutcome openNamed(const std::string& portName);
    bool reopenAfterFailure();
    UsbIdentity deviceNamed(const std::string& portName) const;

    QSerialPort port_;
    DataHandler onData_;
    FailureHandler onFailure_;
    bool dead_ = false;         // failed since it was opened: writes go nowhere
    std::string openedName_;    // the last port opened, for reopening after a failure
    UsbIdentity openedDevice_;  // what the system told about it when the user's open succeeded
    QElapsedTimer lastReopen_;
};

}  // namespace vor
