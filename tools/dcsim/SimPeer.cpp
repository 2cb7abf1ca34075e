#include "tools/dcsim/SimPeer.h"

namespace vor::sim {

SimPeer::SimPeer(FakeEventPump& pump, FakeSerialPort& port, DcConfig config)
    : pump_(pump), port_(port), dc_(std::move(config)) {
    port_.setPeer([this](std::span<const std::uint8_t> bytes) { onWrite(bytes); });
}

SimPeer::SimPeer(FakeEventPump& pump, FakeSerialPort& port, SimulatedDc dc)
    : pump_(pump), port_(port), dc_(std::move(dc)) {
    port_.setPeer([this](std::span<const std::uint8_t> bytes) { onWrite(bytes); });
}

void SimPeer::onWrite(std::span<const std::uint8_t> bytes) {
    const double now = pump_.now();
    const int before = dc_.totalExchanges();
    for (Output& out : dc_.receive(bytes, now)) {
        if (out.pullCable) {
            port_.hangUp(out.at - now);
            continue;
        }
        sent_.push_back({out.at, out.bytes});
        port_.deliver(std::move(out.bytes), out.at - now);
    }
    if (observer_ && dc_.totalExchanges() != before) observer_(*dc_.lastUnitKind(), dc_.totalExchanges());
}

}  // namespace vor::sim
