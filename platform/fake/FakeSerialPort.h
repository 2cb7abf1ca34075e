#pragma once
// A serial port for tests: records every write with its time, hands written bytes to
// a peer (a scripted DC or the simulator), delivers replies as scheduled chunks on the
// FakeEventPump, honours discardBuffers, and fails on demand (failed writes, hang-up).

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/SerialPort.h"
#include "platform/fake/FakeEventPump.h"

namespace vor {

class FakeSerialPort : public SerialPort {
public:
    struct Write {
        double time;
        std::vector<std::uint8_t> bytes;
    };
    // Sees each write at the moment it leaves the program.
    using Peer = std::function<void(std::span<const std::uint8_t>)>;

    explicit FakeSerialPort(FakeEventPump& pump) : pump_(pump) {}

    // SerialPort
    void discardBuffers() override;
    void write(std::span<const std::uint8_t> bytes) override;
    void setHandlers(DataHandler onData, FailureHandler onFailure) override;
    bool reopen() override;

    // ---- the DC's side ----
    void setPeer(Peer peer) { peer_ = std::move(peer); }
    // The bytes arrive as one chunk `delay` seconds from now.
    void deliver(std::vector<std::uint8_t> bytes, double delay = 0.0);
    // The bytes arrive split into chunks of the given sizes (the rest as a last chunk),
    // the first after `delay`, each next one `gap` seconds later.
    void deliverChunks(const std::vector<std::uint8_t>& bytes, const std::vector<std::size_t>& sizes,
                       double delay = 0.0, double gap = 0.001);
    // The cable is pulled `delay` seconds from now: the failure handler runs and
    // later writes go nowhere.
    void hangUp(double delay = 0.0);
    // The cable is plugged in again; the program must reopen the port to use it.
    // `sameDevice` false: another device now answers to the port's name.
    void plugIn(bool sameDevice = true);
    // The next n writes fail (the failure handler runs; the bytes are not sent).
    void failNextWrites(int n) { failWrites_ = n; }

    // ---- what the program did ----
    const std::vector<Write>& writes() const { return writes_; }
    std::vector<std::uint8_t> allWrittenBytes() const;
    int discardCount() const { return discards_; }
    void clearRecord() {
        writes_.clear();
        discards_ = 0;
    }
    bool hungUp() const { return hungUp_; }
    int reopenCount() const { return reopens_; }

private:
    struct Pending {
        std::uint64_t id;
        double at;
        std::vector<std::uint8_t> bytes;
    };
    void arrive(std::uint64_t id);

    FakeEventPump& pump_;
    DataHandler onData_;
    FailureHandler onFailure_;
    Peer peer_;
    std::vector<Write> writes_;
    std::vector<Pending> pending_;
    std::uint64_t nextId_ = 0;
    int discards_ = 0;
    int failWrites_ = 0;
    bool hungUp_ = false;
    bool devicePresent_ = true;
    bool sameDevice_ = true;
    int reopens_ = 0;
};

}  // namespace vor
