#include "platform/fake/FakeSerialPort.h"

#include <algorithm>

namespace vor {

void FakeSerialPort::setHandlers(DataHandler onData, FailureHandler onFailure) {
    onData_ = std::move(onData);
    onFailure_ = std::move(onFailure);
}

void FakeSerialPort::discardBuffers() {
    ++discards_;
    // Bytes that have reached the port but not the program are dropped.
    const double t = pump_.now();
    std::erase_if(pending_, [t](const Pending& p) { return p.at <= t; });
}

void FakeSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (hungUp_) return;
    if (failWrites_ > 0) {
        --failWrites_;
        if (onFailure_) onFailure_(PortFailure::WriteFailed, "write failed");
        return;
    }
    writes_.push_back({pump_.now(), {bytes.begin(), bytes.end()}});
    if (peer_) peer_(bytes);
}

void FakeSerialPort::deliver(std::vector<std::uint8_t> bytes, double delay) {
    if (hungUp_) return;
    const std::uint64_t id = nextId_++;
    const double at = pump_.now() + delay;
    pending_.push_back({id, at, std::move(bytes)});
    pump_.schedule(at, [this, id] { arrive(id); });
}

void FakeSerialPort::deliverChunks(const std::vector<std::uint8_t>& bytes, const std::vector<std::size_t>& sizes,
                                   double delay, double gap) {
    std::size_t pos = 0;
    double at = delay;
    for (std::size_t size : sizes) {
        if (pos >= bytes.size()) break;
        const std::size_t n = std::min(size, bytes.size() - pos);
        deliver({bytes.begin() + static_cast<long>(pos), bytes.begin() + static_cast<long>(pos + n)}, at);
        pos += n;
        at += gap;
    }
    if (pos < bytes.size()) deliver({bytes.begin() + static_cast<long>(pos), bytes.end()}, at);
}

void FakeSerialPort::arrive(std::uint64_t id) {
    auto it = std::find_if(pending_.begin(), pending_.end(), [id](const Pending& p) { return p.id == id; });
    if (it == pending_.end()) return;  // discarded
    std::vector<std::uint8_t> bytes = std::move(it->bytes);
    pending_.erase(it);
    if (onData_ && !hungUp_) onData_(bytes);
}

void FakeSerialPort::hangUp(double delay) {
    pump_.schedule(pump_.now() + delay, [this] {
        hungUp_ = true;
        devicePresent_ = false;
        pending_.clear();
        if (onFailure_) onFailure_(PortFailure::Unplugged, "device disconnected");
    });
}

void FakeSerialPort::plugIn(bool sameDevice) {
    devicePresent_ = true;
    sameDevice_ = sameDevice;
}

bool FakeSerialPort::reopen() {
    if (!hungUp_) return true;
    if (!devicePresent_ || !sameDevice_) return false;
    hungUp_ = false;
    ++reopens_;
    return true;
}

std::vector<std::uint8_t> FakeSerialPort::allWrittenBytes() const {
    std::vector<std::uint8_t> all;
    for (const Write& w : writes_) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    return all;
}

}  // namespace vor
