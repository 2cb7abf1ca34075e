// The one exchange of the DC's link: send, poll, resend and stop by a command's rule.

#include <algorithm>

#include "link/CommModule.h"

namespace vor {

bool CommModule::Exchange(const ExchangeRule& rule, std::span<const std::uint8_t> command) {
    if (!rule.SecondPart) {
        AwaitQuietLine();
        ClearFlags(rule.ClearedFirst);
        PendingCommand = command[0];
    }
    ExpectedLength = rule.ReplyLength;
    ReceivedCount = 0;
    ReplyComplete = false;
    const auto send = [&](bool discard, bool stampAfterSend) {
        if (discard) port_.discardBuffers();
        if (!stampAfterSend) SendStartTime = pump_.now();
        SendBytes(static_cast<int>(command.size()), rule.Timeout);
        if (stampAfterSend) SendStartTime = pump_.now();
    };
    std::copy(command.begin(), command.end(), SendBuffer.begin());
    send(rule.DiscardBuffers != Discard::Never, rule.StampAfterFirstSend);
    int tries = 0;
    for (;;) {
        const double elapsed = PollPass(SendStartTime, rule);
        if (rule.SettleSeconds > 0.0) SettleReply(rule);
        // A reply still arriving is not cut off by a resend.
        const bool arriving = rule.SettleSeconds > 0.0 && !ReplyComplete && ReceivedCount > 0 &&
                              pump_.now() < lastReceivedAt_ + rule.SettleSeconds;
        const bool timedOut = elapsed > rule.Timeout && tries < rule.MaxResends && !arriving;
        const unsigned holding = RaisedFlags() & rule.HeldBy;
        if ((timedOut && holding == 0) || (rule.ResendOnRejection && NakReceived)) {
            ++tries;
            if (!rule.CallerRepeats) {
                if (rule.ClearReplyOnResend) ReplyComplete = false;
                ReceivedCount = 0;
                if (rule.RearmOnResend) PendingCommand = command[0];
                if (rule.RefillOnResend) std::copy(command.begin(), command.end(), SendBuffer.begin());
                send(rule.DiscardBuffers == Discard::BeforeEverySend, rule.StampAfterResend);
            }
        } else if (timedOut && (holding & ~rule.EndOn) != 0) {
            // Held by a flag that does not end the wait (a dead or closing link): the try
            // is used up without a send, so the exchange still ends by its limit.
            ++tries;
            SendStartTime = pump_.now();
        }
        if (tries >= rule.MaxResends || (RaisedFlags() & rule.EndOn) != 0) break;
    }
    EndExchange();
    return tries >= rule.MaxResends;
}

unsigned CommModule::RaisedFlags() const {
    unsigned raised = 0;
    if (ReplyComplete) raised |= Flag::Reply;
    if (LinkAbort) raised |= Flag::Abort;
    if (LinkError) raised |= Flag::Error;
    if (state_.CommError) raised |= Flag::CommError;
    return raised;
}

void CommModule::ClearFlags(unsigned flags) {
    if ((flags & Flag::Abort) != 0) LinkAbort = false;
    if ((flags & Flag::Error) != 0) LinkError = false;
    if ((flags & Flag::CommError) != 0) state_.CommError = false;
}

double CommModule::PollPass(double sendTime, const ExchangeRule& rule) {
    double deadline = sendTime + rule.Timeout;
    if (rule.SettleSeconds > 0.0 && ReceivedCount > 0 && !ReplyComplete)
        deadline = std::min(deadline, lastReceivedAt_ + rule.SettleSeconds);
    pump_.yieldUntil(deadline);
    return pump_.now() - sendTime;
}

void CommModule::SettleReply(const ExchangeRule& rule) {
    if (ReplyComplete || NakReceived || ReceivedCount < rule.ReplyLength) return;
    if (pump_.now() < lastReceivedAt_ + rule.SettleSeconds) return;
    const int stored = std::min(ReceivedCount, static_cast<int>(ReplyBuffer.size()));
    std::copy(ReplyBuffer.begin() + (stored - rule.ReplyLength), ReplyBuffer.begin() + stored, ReplyBuffer.begin());
    CompleteCountingReply();
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

}  // namespace vor
