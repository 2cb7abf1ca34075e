// The byte layer: link state set-up, transmit, the reply rules, the busy-wait.

#include <algorithm>

#include "link/CommModule.h"

namespace vor {

namespace {
// Longest reply of any command (memory read: acknowledgement + 128 bytes), plus one.
constexpr std::size_t UnsizedReplyBufferSize = 130;
constexpr int RevisionReplyLength = 2;
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
        StoreReply(ReplyBuffer, chunk);
        if (ReplyBuffer[0] == NakByte) NakReceived = true;
        JudgeRevisionReply();
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

void CommModule::JudgeRevisionReply() {
    // Appended, so a reply split over several chunks keeps every byte.
    const auto stored = ReplyBuffer.begin() + std::min(ReceivedCount, static_cast<int>(ReplyBuffer.size()));
    const auto ack = std::find(ReplyBuffer.begin(), stored, AckByte);
    std::vector<std::uint8_t>::iterator reply;
    if (ack != stored) {
        // The revision is the byte after the acknowledgement, whatever came before it.
        if (stored - ack < RevisionReplyLength) return;
        reply = ack;
    } else {
        // A DC that sends no acknowledgement: its two bytes, the last ones so far.
        if (stored - ReplyBuffer.begin() < RevisionReplyLength) return;
        reply = stored - RevisionReplyLength;
    }
    std::copy(reply, reply + RevisionReplyLength, ReplyBuffer.begin());
    CompleteCountingReply();
}

void CommModule::WaitSeconds(double seconds) { pump_.sleepFor(seconds); }

void CommModule::Abort() {
    LinkError = true;
    LinkAbort = true;
}

bool CommModule::RenewLink() {
    LinkAbort = false;
    LinkError = false;
    if (portFailed_ && port_.reopen()) portFailed_ = false;
    return !portFailed_;
}

void CommModule::AwaitQuietLine() {
    const double quietAt = std::max(quietAt_, busyUntil_);
    if (pump_.now() < quietAt) {
        const int pending = PendingCommand;
        PendingCommand = NoCommand;
        while (pump_.now() < quietAt) pump_.yieldUntil(quietAt);
        port_.discardBuffers();
        PendingCommand = pending;
    }
    sendsInExchange_ = 0;
}

void CommModule::EndExchange() {
    if (sendsInExchange_ > 1 || !ReplyComplete) quietAt_ = std::max(quietAt_, busyUntil_);
    busyUntil_ = 0.0;
    sendsInExchange_ = 0;
}

void CommModule::FailOnRunTimeError() {
    Abort();
    // Callers judge a command by CommError; without it a block read would hand on
    // stale bytes and a block write or closing word would pass for accepted.
    state_.CommError = true;
}

double CommModule::PollPass(double sendTime, double timeout) {
    pump_.yieldUntil(sendTime + timeout);
    return pump_.now() - sendTime;
}

void CommModule::FillAddressCommand(std::uint8_t code, int value) {
    SendBuffer[0] = code;
    SendBuffer[1] = static_cast<std::uint8_t>(value / 256);
    SendBuffer[2] = static_cast<std::uint8_t>(value % 256);
}

}  // namespace vor
