#include "platform/QtSerialPort.h"

#include <QByteArray>
#include <QSerialPortInfo>
#include <QTimer>

#include "platform/LowLatency.h"
#include "platform/PortExclusive.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace vor {

QtSerialPort::QtSerialPort() {
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { onReadyRead(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

QtSerialPort::~QtSerialPort() {
    QObject::disconnect(&port_, nullptr, &port_, nullptr);
    port_.close();
}

PortOpenOutcome QtSerialPort::open(const std::string& portName) {
    PortOpenOutcome outcome = openNamed(portName);
    if (outcome.result == PortOpenResult::Opened) {
        openedName_ = portName;
        openedDevice_ = deviceNamed(portName);
    }
    return outcome;
}

PortOpenOutcome QtSerialPort::openNamed(const std::string& portName) {
    close();
    dead_ = false;
    PortOpenOutcome outcome;
    outcome.portName = portName;
    port_.setPortName(QString::fromStdString(portName));
    if (!port_.open(QIODevice::ReadWrite)) {
        switch (port_.error()) {
        case QSerialPort::PermissionError: outcome.result = PortOpenResult::PermissionDenied; break;
        case QSerialPort::DeviceNotFoundError: outcome.result = PortOpenResult::NotFound; break;
        default: outcome.result = PortOpenResult::Failed; break;
        }
        outcome.detail = port_.errorString().toStdString();
        port_.clearError();
        return outcome;
    }
    if (std::string why; !HoldPortExclusively(static_cast<int>(port_.handle()), why)) {
        // Another run on this device, perhaps through another of its names: it is left alone.
        outcome.result = PortOpenResult::Failed;
        outcome.detail = why;
        port_.close();
        return outcome;
    }
    const bool configured = port_.setBaudRate(LineSpeed) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        outcome.result = PortOpenResult::Failed;
        outcome.detail = port_.errorString().toStdString();
        port_.close();
        port_.clearError();
        return outcome;
    }
    // The FTDI cable takes DTR and RTS; a line without modem control (a pseudo-terminal
    // of the simulator) refuses them and still carries the data.
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(true);
    port_.clearError();
    RequestLowLatency(static_cast<int>(port_.handle()), port_.portName().toStdString());
    outcome.result = PortOpenResult::Opened;
    return outcome;
}

void QtSerialPort::close() {
    if (port_.isOpen()) port_.close();
}

bool QtSerialPort::isOpen() const { return port_.isOpen(); }

void QtSerialPort::discardBuffers() {
    if (port_.isOpen()) port_.clear(QSerialPort::AllDirections);
}

void QtSerialPort::write(std::span<const std::uint8_t> bytes) {
    if ((dead_ || !port_.isOpen()) && !reopenAfterFailure()) return;
    const qint64 n = port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (n != static_cast<qint64>(bytes.size())) {
        fail(PortFailure::WriteFailed, port_.errorString().toStdString());
        return;
    }
    port_.flush();  // out now, not at the next event: the DC's time-outs start at the send
}

void QtSerialPort::setHandlers(DataHandler onData, FailureHandler onFailure) {
    onData_ = std::move(onData);
    onFailure_ = std::move(onFailure);
}

void QtSerialPort::onReadyRead() {
    const QByteArray data = port_.readAll();
    if (data.isEmpty()) {
        // Nothing to read although the port said so: after a hang-up the line
        // stays readable for ever and would keep the loop busy.
        if (hungUp()) fail(PortFailure::Unplugged, "the line was hung up");
        return;
    }
    if (onData_)
        onData_(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                              static_cast<std::size_t>(data.size())));
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError: return;
    case QSerialPort::ResourceError: fail(PortFailure::Unplugged, port_.errorString().toStdString()); return;
    case QSerialPort::WriteError: fail(PortFailure::WriteFailed, port_.errorString().toStdString()); return;
    case QSerialPort::ReadError:
        if (hungUp()) fail(PortFailure::Unplugged, port_.errorString().toStdString());
        return;
    default: return;  // timeouts and the like are the link's business
    }
}

bool QtSerialPort::reopen() {
    if (!dead_ && port_.isOpen()) return true;
    if (openedName_.empty()) return false;
    lastReopen_.start();
    if (!MayReopen(openedDevice_, deviceNamed(openedName_))) return false;
    return openNamed(openedName_).result == PortOpenResult::Opened;
}

bool QtSerialPort::reopenAfterFailure() {
    if (lastReopen_.isValid() && lastReopen_.elapsed() < ReopenIntervalMs) return false;
    return reopen();
}

UsbIdentity QtSerialPort::deviceNamed(const std::string& portName) const {
    const QString name = QString::fromStdString(portName);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.portName() != name && info.systemLocation() != name) continue;
        UsbIdentity id;
        if (info.hasVendorIdentifier()) id.vendor = info.vendorIdentifier();
        if (info.hasProductIdentifier()) id.product = info.productIdentifier();
        id.serialNumber = info.serialNumber().toStdString();
        return id;
    }
    return {};
}

bool QtSerialPort::hungUp() const {
#ifdef Q_OS_UNIX
    if (!port_.isOpen()) return true;
    pollfd fd{static_cast<int>(port_.handle()), POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

void QtSerialPort::fail(PortFailure failure, const std::string& detail) {
    if (dead_) return;
    dead_ = true;
    // Closed from the event loop, not inside QSerialPort's own signal.
    QTimer::singleShot(0, &port_, [this] {
        if (dead_) close();  // not when a reopen came first
    });
    if (onFailure_) onFailure_(failure, detail);
}

}  // namespace vor
