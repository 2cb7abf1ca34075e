#pragma once
// The serial line to the DC over QSerialPort: 38400 bit/s, 8N1, no flow control,
// DTR and RTS on. Received bytes reach the data handler from Qt's event loop
// (inside EventPump::yieldUntil). A port error that means the device is gone
// (resource error, hang-up) reaches the failure handler once; the port is then
// closed, so its notifier cannot spin a core, and later writes are ignored.

#include <QSerialPort>
#include <string>

#include "platform/SerialPort.h"
#include "wizard/WizardBackend.h"

namespace vor {

class QtSerialPort : public SerialPort {
public:
    static constexpr qint32 LineSpeed = 38400;

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

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void fail(PortFailure failure, const std::string& detail);
    bool hungUp() const;

    QSerialPort port_;
    DataHandler onData_;
    FailureHandler onFailure_;
    bool dead_ = false;  // failed since it was opened: writes go nowhere
};

}  // namespace vor
