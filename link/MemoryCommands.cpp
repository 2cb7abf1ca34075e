// Profile memory commands: 0xB4 block read, 0xB2 line write.

#include <algorithm>

#include "link/CommModule.h"
#include "link/RunTimeErrors.h"

namespace vor {

namespace {
constexpr double MemoryReadTimeout = 0.2;
constexpr int MemoryReadMaxResends = 4;     // about 0.8 s of silence end it
constexpr int MemoryReadReplyLength = 129;  // acknowledgement + 128 block bytes

constexpr ExchangeRule MemoryRead{
    .Timeout = MemoryReadTimeout,
    .MaxResends = MemoryReadMaxResends,
    .ReplyLength = MemoryReadReplyLength,
    .ClearedFirst = Flag::Abort,
    .DiscardBuffers = Discard::BeforeEverySend,
    .HeldBy = Flag::Reply | Flag::Abort | Flag::Error,
    .EndOn = Flag::Reply | Flag::Abort | Flag::Error,
};

constexpr double LineRequestTimeout = 0.1;
constexpr int LineRequestMaxResends = 11;

// A rejection completes the reply and is not repeated.
constexpr ExchangeRule LineRequest{
    .Timeout = LineRequestTimeout,
    .MaxResends = LineRequestMaxResends,
    .ClearedFirst = Flag::Abort,
    .DiscardBuffers = Discard::BeforeFirstSend,
    .HeldBy = Flag::Reply | Flag::Abort | Flag::Error,
    .EndOn = Flag::Reply | Flag::Abort | Flag::Error,
    .ResendOnRejection = false,
};

constexpr double LineDataTimeout = 0.2;
constexpr int LineDataMaxResends = 11;

constexpr ExchangeRule LineData{
    .Timeout = LineDataTimeout,
    .MaxResends = LineDataMaxResends,
    .SecondPart = true,
    .RearmOnResend = false,
    .RefillOnResend = false,
};

bool FitsLine(int line) { return line >= 0 && line <= CommModule::MaxAddress; }
}  // namespace

std::optional<MemoryBlock> CommModule::ReadMemoryBlock(int line) {
    if (!FitsLine(line)) {
        state_.CommError = true;
        return std::nullopt;
    }
    return CatchRunTimeError(
        [&]() -> std::optional<MemoryBlock> {
            const bool triesUsedUp = Exchange(MemoryRead, MakeAddressCommand(Cmd::MemoryRead, line));
            if (LinkAbort || LinkError || triesUsedUp) {
                state_.CommError = true;
                return std::nullopt;
            }
            // Completion needs all 129 bytes in ProfileBuffer, so the block is there.
            MemoryBlock block{};
            std::copy_n(ProfileBuffer.begin() + 1, MemoryBlockLength, block.begin());
            return block;
        },
        [&]() -> std::optional<MemoryBlock> {
            FailOnRunTimeError();
            return std::nullopt;
        });
}

bool CommModule::RequestLineWrite(int line) {
    if (!FitsLine(line)) {
        state_.CommError = true;
        return false;
    }
    return CatchRunTimeError(
        [&] {
            (void)Exchange(LineRequest, MakeAddressCommand(Cmd::LineWrite, line));
            return ReplyComplete && !NakReceived;
        },
        [&] {
            FailOnRunTimeError();
            return false;
        });
}

void CommModule::WriteMemoryLine(int line, std::span<const std::uint8_t, MemoryLineLength> bytes) {
    LinkAbort = false;
    port_.discardBuffers();
    if (!RequestLineWrite(line)) {
        state_.CommError = true;
        return;
    }
    // The line's bytes follow the acknowledged request at once; PendingCommand stays 0xB2.
    ReplyBuffer[0] = 0;
    const bool triesUsedUp = Exchange(LineData, bytes);
    if (LinkAbort || triesUsedUp) state_.CommError = true;
}

}  // namespace vor
