// The byte layer: link state set-up, transmit, the reply rules, the busy-wait.

#include <algorithm>

#include "link/CommModule.h"

namespace vor {

namespace {
// Longest reply of any command (memory read: acknowledgement + 128 bytes), plus one.
constexpr std::size_t UnsizedReplyBufferSize = 130;
}  // namespace

CommModule::CommModule(SerialPort& port, EventPump& pump, WizardState& state)
    : port_(port), pump_(pump), state_(state) {
    ReplyBuffer.assign(UnsizedReplyBufferSize, 0);
    ProfileBuffer.assign(UnsizedReplyBufferSize, 0);
    port_.setHandlers([this](std::span<const std::uint8_t> chunk) { HandleReceivedData(chunk); },
                      [this](PortFailure, const std::string&) {
                          portFailed_ = true;
                          Abort();
                      });
}

CommModule::~CommModule() { port_.setHandlers({}, {}); }

void CommModule::SizeReplyBuffers(int memorySize) {
    const std::size_t size = static_cast<std::size_t>(std::max(memorySize, 0)) * 136 + 2;
    ReplyBuffer.assign(size, 0);
    ProfileBuffer.assign(size, 0);
}

void CommModule::ReleaseReplyBuffers() {
    ReplyBuffer.assign(1, 0);
    ProfileBuffer.assign(1, 0);
}

void CommModule::SendBytes(int n, double replyTimeout) {
    if (PendingCommand == NoCommand) return;
    NakReceived = false;
    const std::size_t count = static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(SendBuffer.size())));
    // Every transmission ends in one 0x00 byte.
    std::vector<std::uint8_t> bytes(count + 1, 0);
    std::copy_n(SendBuffer.begin(), count, bytes.begin());
    port_.write(bytes);
    busyUntil_ = std::max(busyUntil_, pump_.now() + std::max(replyTimeout, MinimumReplyWindow));
    ++sendsInExchange_;
}

void CommModule::StoreReply(std::vector<std::uint8_t>& buffer, std::span<const std::uint8_t> chunk) {
    for (std::uint8_t byte : chunk) {
        const auto index = static_cast<std::size_t>(ReceivedCount);
        if (index >= buffer.size()) return;  // overflow: dropped, never written out of bounds
        buffer[index] = byte;
        ++ReceivedCount;
    }
}

void CommModule::CompleteCountingReply() {
    PendingCommand = NoCommand;
    ReplyComplete = true;
}

void CommModule::HandleReceivedData(std::span<const std::uint8_t> chunk) {
    // An empty chunk stores nothing; testing it would judge a stale first byte.
    if (chunk.empty()) return;
    switch (PendingCommand) {
    case Cmd::Identity:
        StoreReply(ReplyBuffer, chunk);
        if (ReplyBuffer[0] == NakByte) NakReceived = true;
        if (ReceivedCount >= ExpectedLength) CompleteCountingReply();
        break;
    case Cmd::Revision:
        // Complete once the line has settled (see ExchangeRule::SettleSeconds).
        StoreReply(ReplyBuffer, chunk);
        lastReceivedAt_ = pump_.now();
        if (ReplyBuffer[0] == NakByte) NakReceived = true;
        break;
    case Cmd::DeepSleep: JudgeDeepSleepReply(chunk); break;
    case Cmd::MemoryRead:
        StoreReply(ProfileBuffer, chunk);
        if (ProfileBuffer[0] == NakByte) NakReceived = true;
        if (ProfileBuffer[0] == AckByte && ReceivedCount >= ExpectedLength) CompleteCountingReply();
        break;
    case Cmd::Clock:
    case Cmd::LineWrite:
    case Cmd::Block1:
    case Cmd::Close1:
    case Cmd::Block2:
    case Cmd::Argument2:
    case Cmd::Close2:
        // Acknowledge-only: the code stays pending so a second part can follow.
        StoreReply(ReplyBuffer, chunk);
        if (ReplyBuffer[0] == AckByte && ReceivedCount >= 1) ReplyComplete = true;
        if (ReplyBuffer[0] == NakByte) {
            NakReceived = true;
            ReplyComplete = true;
        }
        break;
    default: break;  // nothing awaited: discarded
    }
}

void CommModule::JudgeDeepSleepReply(std::span<const std::uint8_t> chunk) {
    for (std::uint8_t byte : chunk) {
        if (ReceivedCount < static_cast<int>(ReplyBuffer.size()))
            ReplyBuffer[static_cast<std::size_t>(ReceivedCount)] = byte;
        ++ReceivedCount;
        if (byte == NakByte) {
            ReplyBuffer[0] = byte;
            NakReceived = true;
            return;
        }
        if (byte == AckByte) {
            ReplyBuffer[0] = byte;
            CompleteCountingReply();
            return;
        }
    }
}

void CommModule::WaitSeconds(double seconds) { pump_.sleepFor(seconds); }

void CommModule::Abort() {
    LinkError = true;
    LinkAbort = true;
}

bool CommModule::RenewLink() {
    LinkAbort = false;
    LinkError = false;
    if (!portFailed_) return true;
    const double due = lastReopenAt_ ? *lastReopenAt_ + ReopenInterval : pump_.now();
    do {
        pump_.yieldUntil(due);  // throws once the program is ending
    } while (pump_.now() < due);
    lastReopenAt_ = pump_.now();
    if (port_.reopen()) portFailed_ = false;
    return !portFailed_;
}

void CommModule::FailOnRunTimeError() {
    Abort();
    // Callers judge a command by CommError; without it a block read would hand on
    // stale bytes and a block write or closing word would pass for accepted.
    state_.CommError = true;
}

}  // namespace vor
