// Block transfer commands: announcement 0xB5/0xB7, block data, closing words 0xB6/0xB8/0xB9.

#include <algorithm>

#include "link/CommModule.h"
#include "link/RunTimeErrors.h"

namespace vor {

namespace {
constexpr double AnnouncementTimeout = 0.2;
constexpr int AnnouncementMaxResends = 21;  // 22 sends, about 4.2 s of silence
constexpr double BlockDataTimeout = 1.0;
constexpr int BlockMaxAttempts = 4;  // announcement + data, four times at most
constexpr double CodeWordTimeout = 1.0;
constexpr int CodeWordMaxResends = 4;  // 5 sends

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
            AwaitQuietLine();
            PendingCommand = code;
            ReplyComplete = false;
            ReceivedCount = 0;
            FillAddressCommand(code, address);
            port_.discardBuffers();
            int tries = 0;
            SendStartTime = pump_.now();
            SendBytes(3, AnnouncementTimeout);
            for (;;) {
                const double elapsed = PollPass(SendStartTime, AnnouncementTimeout);
                if ((tries < AnnouncementMaxResends && elapsed > AnnouncementTimeout && !ReplyComplete && !LinkAbort &&
                     !LinkError) ||
                    NakReceived) {
                    ReplyComplete = false;
                    ++tries;
                    port_.discardBuffers();
                    NakReceived = false;
                    ReceivedCount = 0;
                    PendingCommand = code;
                    FillAddressCommand(code, address);
                    SendStartTime = pump_.now();
                    SendBytes(3, AnnouncementTimeout);
                }
                if (tries > AnnouncementMaxResends - 1 || ReplyComplete || LinkAbort || LinkError) break;
            }
            EndExchange();
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
            int attempts = 0;
            for (;;) {
                LinkAbort = false;
                port_.discardBuffers();
                if (!SendBlockAddress(address, code) || state_.CommError) return;
                // The block follows its acknowledged announcement at once, even after a resend.
                std::copy(block.begin(), block.end(), SendBuffer.begin());
                ReceivedCount = 0;
                ReplyComplete = false;
                NakReceived = false;
                SendStartTime = pump_.now();
                port_.discardBuffers();
                SendBytes(static_cast<int>(CodeBlockLength),
                          BlockDataTimeout);  // PendingCommand still holds the announcement's code
                bool repeat = false;
                while (!repeat) {
                    const double elapsed = PollPass(SendStartTime, BlockDataTimeout);
                    if ((elapsed > BlockDataTimeout && !ReplyComplete && !LinkAbort && !LinkError) || NakReceived) {
                        ++attempts;
                        if (attempts < BlockMaxAttempts)
                            repeat = true;
                        else
                            state_.CommError = true;
                    }
                    if (repeat) EndExchange();
                    if (!repeat && (ReplyComplete || state_.CommError || LinkAbort || LinkError)) {
                        EndExchange();
                        // Cut off by an abort: the block is not in, as with its announcement.
                        if (!ReplyComplete) state_.CommError = true;
                        return;
                    }
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
            const int tries = ExchangeCodeWord(code, static_cast<int>(value), true);
            if (tries > CodeWordMaxResends - 1 || LinkError) state_.CommError = true;
        },
        [&] { FailOnRunTimeError(); });
}

void CommModule::SendCodeWordB8(long value) {
    if (!FitsCodeWord(value)) {
        state_.CommError = true;
        return;
    }
    const int tries = ExchangeCodeWord(Cmd::Argument2, static_cast<int>(value), false);
    if (tries > CodeWordMaxResends - 1) state_.CommError = true;
}

int CommModule::ExchangeCodeWord(std::uint8_t code, int word, bool endOnLinkError) {
    AwaitQuietLine();
    LinkError = false;
    PendingCommand = code;
    ExpectedLength = 1;
    ReceivedCount = 0;
    ReplyComplete = false;
    FillAddressCommand(code, word);
    port_.discardBuffers();
    SendStartTime = pump_.now();
    SendBytes(3, CodeWordTimeout);
    int tries = 0;
    for (;;) {
        const double elapsed = PollPass(SendStartTime, CodeWordTimeout);
        // ReplyComplete is not tested: an acknowledgement seen after the time-out is
        // followed by a resend, whose acknowledgement is awaited.
        const bool timedOut = tries < CodeWordMaxResends && elapsed > CodeWordTimeout;
        if ((timedOut && !LinkError) || NakReceived) {
            ++tries;
            port_.discardBuffers();
            ExpectedLength = 1;
            ReceivedCount = 0;
            ReplyComplete = false;
            FillAddressCommand(code, word);
            SendStartTime = pump_.now();
            SendBytes(3, CodeWordTimeout);
        } else if (timedOut) {
            // Dead or closing link: the try is used up without a send, so a word that
            // does not end on LinkError still ends by its try limit.
            ++tries;
            SendStartTime = pump_.now();
        }
        if (tries > CodeWordMaxResends - 1 || ReplyComplete || (endOnLinkError && LinkError)) break;
    }
    EndExchange();
    return tries;
}

}  // namespace vor
