// Clock setting: 0x97, then the 9-byte clock record.

#include <array>

#include "link/ClockRecord.h"
#include "link/CommModule.h"

namespace vor {

namespace {
constexpr double OpenClockTimeout = 0.1;
constexpr int OpenClockMaxResends = 4;  // 5 sends, about 0.4 s
constexpr double ClockRecordTimeout = 1.0;
constexpr int ClockRecordMaxResends = 4;  // 5 sends, about 4 s

constexpr ExchangeRule OpenClock{
    .Timeout = OpenClockTimeout,
    .MaxResends = OpenClockMaxResends,
    .DiscardBuffers = Discard::BeforeEverySend,
    .StampAfterFirstSend = true,
    .StampAfterResend = true,
    .RearmOnResend = false,
};

// A rejection ends the wait like an acknowledgement; only silence repeats.
constexpr ExchangeRule ClockRecordSend{
    .Timeout = ClockRecordTimeout,
    .MaxResends = ClockRecordMaxResends,
    .SecondPart = true,
    .DiscardBuffers = Discard::BeforeEverySend,
    .StampAfterFirstSend = true,
    .StampAfterResend = true,
    .ResendOnRejection = false,
    .RearmOnResend = false,
    .RefillOnResend = false,
};
}  // namespace

bool CommModule::OpenClockWrite() {
    (void)Exchange(OpenClock, std::array{Cmd::Clock});
    return ReplyComplete && !NakReceived;
}

void CommModule::SetClock(const std::string& date, const std::string& time, std::uint8_t value) {
    // A text that is not a date or time sends nothing and fails the step.
    const std::optional<ClockRecord> record = BuildClockRecord(date, time, value);
    if (!record) {
        state_.CommError = true;
        return;
    }
    port_.discardBuffers();
    LinkAbort = false;
    if (!OpenClockWrite()) {
        state_.CommError = true;
        return;
    }
    // Sent at once. PendingCommand is still 0x97: the record's acknowledgement uses the same rule.
    const bool triesUsedUp = Exchange(ClockRecordSend, *record);
    if (!LinkAbort && triesUsedUp) state_.CommError = true;
}

}  // namespace vor
