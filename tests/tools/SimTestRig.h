#pragma once
// A program's end of the line for the simulator tests: writes raw bytes to the
// simulated DC through a FakeSerialPort and collects what comes back, with the fake
// time each chunk arrived.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/FakeEventPump.h"
#include "platform/fake/FakeSerialPort.h"
#include "tools/dcsim/SimPeer.h"

namespace vor::sim::test {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    double at;
    Bytes bytes;
};

class SimRig {
public:
    explicit SimRig(DcConfig config = {}) : peer(pump, port, std::move(config)) {
        port.setHandlers(
            [this](std::span<const std::uint8_t> c) {
                chunks.push_back({pump.now(), {c.begin(), c.end()}});
            },
            [this](PortFailure, const std::string&) { ++failures; });
    }

    // Writes the bytes exactly as given (the caller adds the trailing 0x00).
    void send(const Bytes& bytes) { port.write(bytes); }

    // Lets fake time run for `seconds`, serving every delivery on the way.
    void run(double seconds) {
        const double until = pump.now() + seconds;
        while (pump.now() < until) pump.yieldUntil(until);
    }

    // Sends, lets the DC answer, and returns everything received meanwhile.
    Bytes exchange(const Bytes& bytes, double seconds = 0.2) {
        chunks.clear();
        send(bytes);
        run(seconds);
        return received();
    }

    Bytes received() const {
        Bytes all;
        for (const Chunk& c : chunks) all.insert(all.end(), c.bytes.begin(), c.bytes.end());
        return all;
    }

    SimulatedDc& dc() { return peer.dc(); }

    FakeEventPump pump;
    FakeSerialPort port{pump};
    SimPeer peer;
    std::vector<Chunk> chunks;
    int failures = 0;
};

inline Bytes Ack() { return {0x5A}; }
inline Bytes Nak() { return {0xA5}; }

// A line write's data unit: 16 bytes, their sum, the trailing 0x00.
inline Bytes LineUnit(const Bytes& sixteen) {
    Bytes unit = sixteen;
    unsigned sum = 0;
    for (auto b : sixteen) sum += b;
    unit.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    unit.push_back(0x00);
    return unit;
}

// A block's data unit: 128 bytes of `fill` + i, the given check byte, the trailing 0x00.
inline Bytes BlockUnit(std::uint8_t fill, std::uint8_t check) {
    Bytes unit;
    for (int i = 0; i < 128; ++i) unit.push_back(static_cast<std::uint8_t>(fill + i));
    unit.push_back(check);
    unit.push_back(0x00);
    return unit;
}

}  // namespace vor::sim::test
