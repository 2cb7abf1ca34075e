// Block transfer commands: announcement 0xB5/0xB7, block data, closing words 0xB6/0xB8/0xB9.

#include "link/CommModule.h"
#include "link/RunTimeErrors.h"

namespace vor {

namespace {
constexpr double AnnouncementTimeout = 0.2;
constexpr int AnnouncementMaxResends = 21;  // 22 sends, about 4.2 s of silence
constexpr double BlockDataTimeout = 1.0;
constexpr int BlockDataResendsPerAttempt = 1;  // the one resend is the next attempt's
constexpr int BlockMaxAttempts = 4;            // announcement + data, four times at most
constexpr double CodeWordTimeout = 1.0;
constexpr int CodeWordMaxResends = 4;  // 5 sends

constexpr ExchangeRule Announcement{
    .Timeout = AnnouncementTimeout,
    .MaxResends = AnnouncementMaxResends,
    .DiscardBuffers = Discard::BeforeEverySend,
    .HeldBy = Flag::Reply | Flag::Abort | Flag::Error,
    .EndOn = Flag::Reply | Flag::Abort | Flag::Error,
};

// Silence or a rejection repeats announcement and block: the caller's next attempt.
constexpr ExchangeRule BlockData{
    .Timeout = BlockDataTimeout,
    .MaxResends = BlockDataResendsPerAttempt,
    .SecondPart = true,
    .DiscardBuffers = Discard::BeforeEverySend,
    .HeldBy = Flag::Reply | Flag::Abort | Flag::Error,
    .EndOn = Flag::Reply | Flag::CommError | Flag::Abort | Flag::Error,
    .CallerRepeats = true,
};

// The reply does not hold a resend back: an acknowledgement seen after the time-out is
// followed by a resend, whose acknowledgement is awaited. Only a failed link holds it.
constexpr ExchangeRule CodeWord{
    .Timeout = CodeWordTimeout,
    .MaxResends = CodeWordMaxResends,
    .ClearedFirst = Flag::Error,
    .DiscardBuffers = Discard::BeforeEverySend,
    .HeldBy = Flag::Error,
    .EndOn = Flag::Reply | Flag::Error,
    .RearmOnResend = false,
};

// As CodeWord, but a failed link does not end the wait: its tries run out.
constexpr ExchangeRule CodeWordB8 = [] {
    ExchangeRule rule = CodeWord;
    rule.EndOn = Flag::Reply;
    return rule;
}();

bool FitsCodeWord(long value) { return value >= 0 && value <= CommModule::MaxCodeWordValue; }
bool FitsAddress(int value) { return value >= 0 && value <= CommModule::MaxAddress; }
}  // namespace

bool CommModule::SendBlockAddress(int address, std::uint8_t code) {
    if (!FitsAddress(address)) {
        state_.CommError = true;
        return false;
    }
    return CatchRunTimeError(
        [&] {
            (void)Exchange(Announcement, MakeAddressCommand(code, address));
            if (ReplyComplete) return true;
            state_.CommError = true;
            return false;
        },
        [&] {
            FailOnRunTimeError();
            return false;
        });
}

void CommModule::WriteCodeBlock(int address, std::uint8_t code, std::span<const std::uint8_t, CodeBlockLength> block) {
    CatchRunTimeError(
        [&] {
            for (int attempts = 1;; ++attempts) {
                LinkAbort = false;
                port_.discardBuffers();
                if (!SendBlockAddress(address, code) || state_.CommError) return;
                // The block follows its acknowledged announcement at once, even after a resend.
                NakReceived = false;
                if (!Exchange(BlockData, block)) {
                    // Cut off by an abort: the block is not in, as with its announcement.
                    if (!ReplyComplete) state_.CommError = true;
                    return;
                }
                if (attempts == BlockMaxAttempts) {
                    state_.CommError = true;
                    return;
                }
            }
        },
        [&] { FailOnRunTimeError(); });
}

void CommModule::SendCodeWord(std::uint8_t code, long value) {
    if (!FitsCodeWord(value)) {
        state_.CommError = true;
        return;
    }
    CatchRunTimeError(
        [&] {
            const bool triesUsedUp = Exchange(CodeWord, MakeAddressCommand(code, static_cast<int>(value)));
            if (triesUsedUp || LinkError) state_.CommError = true;
        },
        [&] { FailOnRunTimeError(); });
}

void CommModule::SendCodeWordB8(long value) {
    if (!FitsCodeWord(value)) {
        state_.CommError = true;
        return;
    }
    if (Exchange(CodeWordB8, MakeAddressCommand(Cmd::Argument2, static_cast<int>(value)))) state_.CommError = true;
}

}  // namespace vor
