#pragma once
// The simulated DC behind a FakeSerialPort on a FakeEventPump: the program's writes
// go into the DC at the fake time they are made, its answers are delivered at the
// times the DC stamps on them, and a pulled cable hangs the port up. Everything runs
// in the test's own thread on virtual time.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/fake/FakeEventPump.h"
#include "platform/fake/FakeSerialPort.h"
#include "tools/dcsim/SimulatedDc.h"

namespace vor::sim {

class SimPeer {
public:
    // Attaches itself as the port's peer; both must outlive the peer.
    SimPeer(FakeEventPump& pump, FakeSerialPort& port, DcConfig config = {});
    // The same DC, memory and all, on another program's line (a program started
    // again). The new pump's clock must not be behind the DC's.
    SimPeer(FakeEventPump& pump, FakeSerialPort& port, SimulatedDc dc);
    SimPeer(const SimPeer&) = delete;
    SimPeer& operator=(const SimPeer&) = delete;

    SimulatedDc& dc() { return dc_; }
    const SimulatedDc& dc() const { return dc_; }

    // Control channel, at the pump's current time.
    void press() { dc_.press(pump_.now()); }
    void clip() { dc_.clip(pump_.now()); }
    void unclip() { dc_.unclip(pump_.now()); }
    void pull() {
        dc_.pull(pump_.now());
        port_.hangUp();
    }
    void replug() {
        dc_.replug(pump_.now());
        port_.plugIn();
    }

    // Every chunk the DC sent, with the time it reached the program.
    struct Sent {
        double at;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Sent>& sent() const { return sent_; }

    // Told after each write that completed units: the kind of the last one and the
    // DC's exchange count so far. May schedule work on the pump, not write.
    using UnitObserver = std::function<void(UnitKind last, int totalExchanges)>;
    void setUnitObserver(UnitObserver observer) { observer_ = std::move(observer); }

private:
    void onWrite(std::span<const std::uint8_t> bytes);

    FakeEventPump& pump_;
    FakeSerialPort& port_;
    SimulatedDc dc_;
    std::vector<Sent> sent_;
    UnitObserver observer_;
};

}  // namespace vor::sim
