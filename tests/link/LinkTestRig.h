#pragma once
// A CommModule on the fake clock and the fake port, with a scripted DC on the
// other end: each write the program makes is answered by the script.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "link/CommModule.h"
#include "platform/fake/FakeEventPump.h"
#include "platform/fake/FakeSerialPort.h"
#include "session/WizardState.h"

namespace vor::test {

using Bytes = std::vector<std::uint8_t>;

// Sends of an identity query and then a memory read against a silent DC: (1, 1) once
// the link is aborted (the query stops on LinkAbort, the read clears that but stops on
// LinkError), (12, 5) on a sound link.
inline std::pair<int, int> AbortProbe(CommModule& link, FakeSerialPort& port) {
    port.setPeer({});
    const auto sends = [&] { return static_cast<int>(port.writes().size()); };
    const int before = sends();
    (void)link.ReadIdentity();
    const int identity = sends() - before;
    (void)link.ReadMemoryBlock(0);
    return {identity, sends() - before - identity};
}

struct LinkTestRig {
    FakeEventPump pump;
    FakeSerialPort port{pump};
    WizardState state;
    CommModule link{port, pump, state};

    LinkTestRig() { link.SizeReplyBuffers(512); }

    // The DC answers the n-th write (0-based) with what the script returns, after `delay`.
    using Script = std::function<Bytes(int index, const Bytes& written)>;
    void answer(Script script, double delay = 0.001) {
        port.setPeer([this, script = std::move(script), delay](std::span<const std::uint8_t> bytes) {
            const Bytes written(bytes.begin(), bytes.end());
            Bytes reply = script(writeIndex_++, written);
            if (!reply.empty()) port.deliver(std::move(reply), delay);
        });
    }
    // Every write answered with the same bytes.
    void answerAlways(Bytes reply, double delay = 0.001) {
        answer([reply](int, const Bytes&) { return reply; }, delay);
    }

    std::pair<int, int> abortProbe();
    // The DC answers with this 16-character identity; true when ReadIdentity took it.
    bool identify(const std::string& identity);

    int sends() const { return static_cast<int>(port.writes().size()); }
    Bytes written(std::size_t i) const { return port.writes().at(i).bytes; }
    double sendTime(std::size_t i) const { return port.writes().at(i).time; }
    double lastSendTime() const { return port.writes().back().time; }

private:
    int writeIndex_ = 0;
};

// An 18-byte identity reply around a 16-character identity text.
// Sized first and filled in place: GCC 12 at -O2 misreads an insert into a
// one-byte vector as an out-of-bounds copy.
inline Bytes IdentityReply(const std::string& identity) {
    Bytes reply(18, ' ');
    reply.front() = 0x00;
    reply.back() = 0x00;
    for (std::size_t i = 0; i < identity.size() && i < 16; ++i) reply[i + 1] = static_cast<std::uint8_t>(identity[i]);
    return reply;
}

inline std::pair<int, int> LinkTestRig::abortProbe() { return AbortProbe(link, port); }

inline bool LinkTestRig::identify(const std::string& identity) {
    answerAlways(IdentityReply(identity));
    return link.ReadIdentity();
}

}  // namespace vor::test
