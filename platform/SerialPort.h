#pragma once
// The serial line to the dive computer as the link layer needs it. Opening and line
// settings belong to the concrete adapter; the link only discards, writes and
// receives.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace vor {

enum class PortFailure {
    Unplugged,    // device gone, hang-up, resource error
    WriteFailed,  // the bytes could not be handed to the driver
    Other,
};

class SerialPort {
public:
    using DataHandler = std::function<void(std::span<const std::uint8_t>)>;
    using FailureHandler = std::function<void(PortFailure, const std::string& detail)>;

    virtual ~SerialPort() = default;

    // Drops every received byte not yet delivered and every byte still queued for
    // transmission. Afterwards no byte received before the call reaches the handler.
    virtual void discardBuffers() = 0;

    // Queues the bytes for transmission in order; does not wait for an answer.
    virtual void write(std::span<const std::uint8_t> bytes) = 0;

    // Received chunks arrive through `onData` in line order, from the event loop
    // (inside EventPump::yieldUntil). A failure of the port arrives through `onFailure`.
    virtual void setHandlers(DataHandler onData, FailureHandler onFailure) = 0;

    // After a failure: opens the port again, but only when the device first opened is
    // back under its name (another cable on that name counts as no cable). True when
    // the port is usable now, also when it never failed.
    virtual bool reopen() = 0;
};

}  // namespace vor
