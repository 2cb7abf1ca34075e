// Clock setting: 0x97, then the 9-byte clock record.

#include <algorithm>

#include "link/ClockRecord.h"
#include "link/CommModule.h"

namespace vor {

namespace {
constexpr double OpenClockTimeout = 0.1;
constexpr int OpenClockMaxResends = 4;  // 5 sends, about 0.4 s
constexpr double ClockRecordTimeout = 1.0;
constexpr int ClockRecordMaxResends = 4;  // 5 sends, about 4 s
}  // namespace

bool CommModule::OpenClockWrite() {
    AwaitQuietLine();
    PendingCommand = Cmd::Clock;
    ReplyComplete = false;
    ReceivedCount = 0;
    port_.discardBuffers();
    SendBuffer[0] = Cmd::Clock;
    SendBytes(1, OpenClockTimeout);
    SendStartTime = pump_.now();
    int tries = 0;
    for (;;) {
        const double elapsed = PollPass(SendStartTime, OpenClockTimeout);
        if ((tries < OpenClockMaxResends && elapsed > OpenClockTimeout && !ReplyComplete && !LinkAbort) ||
            NakReceived) {
            ReplyComplete = false;
            ++tries;
            ReceivedCount = 0;
            port_.discardBuffers();
            SendBuffer[0] = Cmd::Clock;
            SendBytes(1, OpenClockTimeout);
            SendStartTime = pump_.now();
        }
        if (tries > OpenClockMaxResends - 1 || ReplyComplete || LinkAbort) break;
    }
    EndExchange();
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
    ReplyComplete = false;
    ReceivedCount = 0;
    std::copy(record->begin(), record->end(), SendBuffer.begin());
    port_.discardBuffers();
    SendBytes(static_cast<int>(record->size()), ClockRecordTimeout);
    SendStartTime = pump_.now();
    int tries = 0;
    for (;;) {
        const double elapsed = PollPass(SendStartTime, ClockRecordTimeout);
        // A rejection ends the wait like an acknowledgement; only silence repeats.
        if (tries < ClockRecordMaxResends && elapsed > ClockRecordTimeout && !ReplyComplete && !LinkAbort) {
            ReplyComplete = false;
            ++tries;
            ReceivedCount = 0;
            port_.discardBuffers();
            SendBytes(static_cast<int>(record->size()), ClockRecordTimeout);
            SendStartTime = pump_.now();
        }
        if (tries > ClockRecordMaxResends - 1 || ReplyComplete || LinkAbort) break;
    }
    EndExchange();
    if (!LinkAbort && tries > ClockRecordMaxResends - 1) state_.CommError = true;
}

}  // namespace vor
