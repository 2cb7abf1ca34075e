// Profile memory commands: 0xB4 block read, 0xB2 line write.

#include <algorithm>

#include "link/CommModule.h"
#include "link/RunTimeErrors.h"

namespace vor {

namespace {
constexpr double MemoryReadTimeout = 0.2;
constexpr int MemoryReadMaxResends = 4;     // about 0.8 s of silence end it
constexpr int MemoryReadReplyLength = 129;  // acknowledgement + 128 block bytes

constexpr double LineRequestTimeout = 0.1;
constexpr int LineRequestMaxResends = 11;
constexpr double LineDataTimeout = 0.2;
constexpr int LineDataMaxResends = 11;
constexpr int LineDataLength = static_cast<int>(MemoryLineLength);

bool FitsLine(int line) { return line >= 0 && line <= CommModule::MaxAddress; }
}  // namespace

std::optional<MemoryBlock> CommModule::ReadMemoryBlock(int line) {
    if (!FitsLine(line)) {
        state_.CommError = true;
        return std::nullopt;
    }
    return CatchRunTimeError(
        [&]() -> std::optional<MemoryBlock> {
            AwaitQuietLine();
            LinkAbort = false;
            PendingCommand = Cmd::MemoryRead;
            ExpectedLength = MemoryReadReplyLength;
            ReceivedCount = 0;
            ReplyComplete = false;
            int tries = 0;
            FillAddressCommand(Cmd::MemoryRead, line);
            SendStartTime = pump_.now();
            port_.discardBuffers();
            SendBytes(3, MemoryReadTimeout);
            for (;;) {
                const double elapsed = PollPass(SendStartTime, MemoryReadTimeout);
                if ((elapsed > MemoryReadTimeout && tries < MemoryReadMaxResends && !ReplyComplete && !LinkAbort &&
                     !LinkError) ||
                    NakReceived) {
                    ExpectedLength = MemoryReadReplyLength;
                    ReceivedCount = 0;
                    ReplyComplete = false;
                    ++tries;
                    PendingCommand = Cmd::MemoryRead;
                    FillAddressCommand(Cmd::MemoryRead, line);
                    port_.discardBuffers();
                    SendStartTime = pump_.now();
                    SendBytes(3, MemoryReadTimeout);
                }
                if (tries > MemoryReadMaxResends - 1 || ReplyComplete || LinkAbort || LinkError) break;
            }
            EndExchange();
            if (LinkAbort || LinkError || tries > MemoryReadMaxResends - 1) {
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
            AwaitQuietLine();
            PendingCommand = Cmd::LineWrite;
            ReplyComplete = false;
            ReceivedCount = 0;
            port_.discardBuffers();
            LinkAbort = false;
            FillAddressCommand(Cmd::LineWrite, line);
            SendStartTime = pump_.now();
            int tries = 0;
            SendBytes(3, LineRequestTimeout);
            for (;;) {
                const double elapsed = PollPass(SendStartTime, LineRequestTimeout);
                // A rejection completes the reply and is not repeated.
                if (elapsed > LineRequestTimeout && tries < LineRequestMaxResends && !ReplyComplete && !LinkAbort &&
                    !LinkError) {
                    ReplyComplete = false;
                    ++tries;
                    ReceivedCount = 0;
                    PendingCommand = Cmd::LineWrite;
                    FillAddressCommand(Cmd::LineWrite, line);
                    SendStartTime = pump_.now();
                    SendBytes(3, LineRequestTimeout);
                }
                if (tries > LineRequestMaxResends - 1 || ReplyComplete || LinkAbort || LinkError) break;
            }
            EndExchange();
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
    // The line's bytes follow the acknowledged request at once.
    ReplyBuffer[0] = 0;
    std::copy(bytes.begin(), bytes.end(), SendBuffer.begin());
    ReceivedCount = 0;
    ReplyComplete = false;
    SendStartTime = pump_.now();
    SendBytes(LineDataLength, LineDataTimeout);  // PendingCommand stays 0xB2
    int tries = 0;
    for (;;) {
        const double elapsed = PollPass(SendStartTime, LineDataTimeout);
        if ((elapsed > LineDataTimeout && tries < LineDataMaxResends && !ReplyComplete && !LinkAbort) || NakReceived) {
            ReplyComplete = false;
            ++tries;
            ReceivedCount = 0;
            SendStartTime = pump_.now();
            SendBytes(LineDataLength, LineDataTimeout);
        }
        if (tries > LineDataMaxResends - 1 || ReplyComplete || LinkAbort) break;
    }
    EndExchange();
    if (LinkAbort || tries > LineDataMaxResends - 1) state_.CommError = true;
}

}  // namespace vor
