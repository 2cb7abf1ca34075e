#pragma once
// The DC's link: the shared link state, the byte layer (send, receive rules, the
// busy-wait) and every command of the DC's command set. One object owns all of it.
//
// Every command follows the same pattern: set the pending code and counters, send,
// then poll: yield to the event loop until the next deadline, resend on time-out or
// rejection, stop on completion, on running out of tries, or on LinkAbort/LinkError.
// The resend test comes before the stop test, so the last permitted resend is sent
// and not waited for.
//
// Times are monotonic seconds from the EventPump. The CommError flag lives in the
// shared WizardState.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/LinkState.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "wizard/WizardState.h"

namespace vor {

class CommModule {
public:
    // Registers with the port: received data feeds HandleReceivedData, a port failure
    // (cable pulled, write failure) aborts the waiting command. The port, pump and
    // state must outlive this object.
    CommModule(SerialPort& port, EventPump& pump, WizardState& state);
    ~CommModule();
    CommModule(const CommModule&) = delete;
    CommModule& operator=(const CommModule&) = delete;

    // ---- link state ----
    std::array<std::uint8_t, 257> SendBuffer{};
    std::vector<std::uint8_t> ReplyBuffer;    // sized by SizeReplyBuffers
    std::vector<std::uint8_t> ProfileBuffer;  // replies to 0xB4
    int PendingCommand = NoCommand;
    int ExpectedLength = 0;
    int ReceivedCount = 0;
    bool ReplyComplete = false;
    bool NakReceived = false;
    double SendStartTime = 0.0;
    bool LinkAbort = false;
    bool LinkError = false;
    std::array<std::uint8_t, 129> BlockBuffer{};  // staging buffer of the write commands

    // DC identity.
    std::string IdentityString;   // 16 characters after a successful ReadIdentity
    std::string FirmwareVersion;  // 2 characters, set by ParseIdentity

    // Both reply buffers start big enough for the longest reply (129 bytes), so the link
    // works before an image is loaded. Bytes beyond a buffer's end are dropped.
    // Sizes both reply buffers to indices 0 .. memorySize*136+1 (old contents dropped).
    void SizeReplyBuffers(int memorySize);
    // Shrinks both reply buffers to one element (on close).
    void ReleaseReplyBuffers();

    // ---- byte layer ----
    // Sends SendBuffer[0..n-1] followed by one 0x00 byte; nothing while PendingCommand is -1.
    void SendBytes(int n);
    // Stores a received chunk and updates the link state by the reply rule of PendingCommand.
    void HandleReceivedData(std::span<const std::uint8_t> chunk);
    // Waits more than `seconds` without serving events.
    void WaitSeconds(double seconds);
    // Close and fatal port errors: every waiting command gives up at its next pass.
    void Abort();

    // ---- identity and mode ----
    bool ReadIdentity();                              // 0x84; fills IdentityString
    bool ParseIdentity(const std::string& modelName); // normalises IdentityString, sets FirmwareVersion
    bool EnterDeepSleep();                            // 0xA8 + 0x55/0x99 by DeepSleepMode
    std::uint8_t ReadRevision();                      // 0xBA; 0 when no reply

    // ---- block transfer ----
    bool SendBlockAddress(int address, std::uint8_t code);
    void WriteCodeBlock(int address, std::uint8_t code);   // BlockBuffer[0..128] filled
    void SendCodeWord(std::uint8_t code, long value);
    void SendCodeWordB8(long value);

    // ---- clock ----
    bool OpenClockWrite();
    // date "mm/dd/yy", time "hh:mm:ss" (any one-character separators).
    void SetClock(const std::string& date, const std::string& time, std::uint8_t value);

    // ---- memory ----
    void ReadMemoryBlock(int line);      // 0xB4; on success ReplyBuffer[1..128] = the block
    bool RequestLineWrite(int line);     // 0xB2 request
    void WriteMemoryLine(int line);      // request + BlockBuffer[0..16]

    // Highest address or line number a command can encode (signed 16-bit), and the
    // highest closing value. Larger or negative values are refused before sending.
    static constexpr int MaxAddress = 32767;
    static constexpr long MaxCodeWordValue = 65535;

private:
    // One poll pass: serve events until the deadline sendTime + timeout (or until
    // something arrived), then return the seconds since sendTime.
    double PollPass(double sendTime, double timeout);
    void FillAddressCommand(std::uint8_t code, int value);
    void StoreReply(std::vector<std::uint8_t>& buffer, std::span<const std::uint8_t> chunk);
    void CompleteCountingReply();

    SerialPort& port_;
    EventPump& pump_;
    WizardState& state_;
};

}  // namespace vor
