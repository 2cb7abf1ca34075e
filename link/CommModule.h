#pragma once
// The DC's link: the link state, the byte layer (send, receive rules, the busy-wait)
// and every command of the DC's command set. One object owns all of it; the state is
// private, so commands take what they send and return what they received.
//
// Every command runs the one exchange (link/Exchange.cpp) with its own rule
// (link/ExchangeRule.h): set the pending code and counters, send, then poll: yield to
// the event loop until the next deadline, resend on time-out or rejection, stop on
// completion, on running out of tries, or on the rule's flags. The resend test comes
// before the stop test, so the last permitted resend is sent and not waited for.
//
// Times are monotonic seconds from the EventPump. The CommError flag lives in the
// shared WizardState.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/ExchangeRule.h"
#include "link/LinkState.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "session/WizardState.h"

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

    // DC identity: 16 characters after a successful ReadIdentity (normalised by
    // ParseIdentity), and the 2-character version ParseIdentity takes from it.
    const std::string& IdentityString() const { return IdentityText; }
    const std::string& FirmwareVersion() const { return VersionText; }

    // Both reply buffers start big enough for the longest reply (129 bytes), so the link
    // works before an image is loaded. Bytes beyond a buffer's end are dropped.
    // Sizes both reply buffers to indices 0 .. memorySize*136+1 (old contents dropped).
    void SizeReplyBuffers(int memorySize);
    // Shrinks both reply buffers to one element (on close).
    void ReleaseReplyBuffers();

    // ---- byte layer ----
    // Waits more than `seconds` without serving events.
    void WaitSeconds(double seconds);
    // Close and fatal port errors: every waiting command gives up at its next pass
    // (sets LinkError and LinkAbort).
    void Abort();
    // The error handler of the commands that have one, and of callers that catch an
    // unexpected error around them: Abort, and CommError so that no caller takes a
    // cut-off command for a completed one.
    void FailOnRunTimeError();
    // A new attempt by the user (the first Next, the update, each OK of the profile
    // recovery): clears what an earlier port failure or abort left in LinkAbort and
    // LinkError and opens the port again when it failed. False while the cable is out
    // (or another device has taken its port); the commands then fail as on silence.
    // A failed port is tried again at most once per ReopenInterval, and the wait serves
    // events, so a caller that loops on it (the recovery with the cable left out) sees
    // the program ending instead of spinning.
    bool RenewLink();
    static constexpr double ReopenInterval = 1.0;

    // ---- identity and mode ----
    // 0x84; 12 sends 2 s apart. Fills IdentityString only on success.
    bool ReadIdentity();
    // Normalises double spaces in IdentityString; true when it has three or more words
    // and contains modelName (any case). Sets FirmwareVersion for three or four words.
    bool ParseIdentity(const std::string& modelName);
    // 0xA8 + 0x55/0x99 by DeepSleepMode. Clears CommError and LinkError first, sets
    // CommError on failure. A late acknowledgement still counts. Once the link is
    // aborted the remaining tries run out without sends, so it ends in about 4 s.
    bool EnterDeepSleep();
    // 0xBA; the revision (the last byte of the reply, whatever byte 0 and any stray
    // byte ahead of it hold), 0 when no reply.
    std::uint8_t ReadRevision();

    // ---- block transfer ----
    // Each sets CommError on final failure, on an abort that cuts a transfer off, and
    // on an error inside the port (which also sets LinkError and LinkAbort). Addresses
    // outside 0..MaxAddress and values outside 0..MaxCodeWordValue set CommError
    // without sending anything.
    // Announces a block (code 0xB5 or 0xB7, address high byte first); 22 sends.
    bool SendBlockAddress(int address, std::uint8_t code);
    // Announcement + the block (128 bytes and the check byte), four attempts. Clears LinkAbort at each
    // attempt (a close is seen through LinkError). Returns at once after the
    // announcement when CommError is already set on entry.
    void WriteCodeBlock(int address, std::uint8_t code, std::span<const std::uint8_t, CodeBlockLength> block);
    // Closing word (0xB6/0xB9 + value). Clears LinkError first. An acknowledgement
    // seen after the 1 s time-out is followed by a resend that must be acknowledged.
    void SendCodeWord(std::uint8_t code, long value);
    // As SendCodeWord with 0xB8, but only running out of tries fails it.
    void SendCodeWordB8(long value);

    // ---- clock ----
    // 0x97; true on an acknowledgement that is not a rejection.
    bool OpenClockWrite();
    // date "mm/dd/yy", time "hh:mm:ss" (any one-character separators; see
    // link/ClockRecord.h). Clears LinkAbort first. A text that is not two-digit fields
    // sends nothing and sets CommError. A rejection of the record is not a failure.
    void SetClock(const std::string& date, const std::string& time, std::uint8_t value);

    // ---- memory ----
    // 0xB4; the block's 128 bytes, or nothing when this read failed. Clears LinkAbort
    // first; sets CommError on failure, abort, a dead port or an error inside the port.
    [[nodiscard]] std::optional<MemoryBlock> ReadMemoryBlock(int line);
    // 0xB2 request; false on silence or on a rejection (which is not repeated).
    bool RequestLineWrite(int line);
    // Request + the line's 16 bytes and their sum; CommError on failure.
    void WriteMemoryLine(int line, std::span<const std::uint8_t, MemoryLineLength> bytes);

    // Highest address or line number a command can encode (signed 16-bit), and the
    // highest closing value. Larger or negative values are refused before sending.
    static constexpr int MaxAddress = 32767;
    static constexpr long MaxCodeWordValue = 65535;

    // How long the line is watched after a send that may still be answered, at least.
    static constexpr double MinimumReplyWindow = 0.5;

private:
    // Sends SendBuffer[0..n-1] followed by one 0x00 byte; nothing while PendingCommand is -1.
    // The line is busy from every send until `replyTimeout` (at least MinimumReplyWindow)
    // has passed, so that a command started inside this one's wait (Close's recovery)
    // waits its reply out too.
    void SendBytes(int n, double replyTimeout);
    // Stores a received chunk and updates the link state by the reply rule of PendingCommand.
    void HandleReceivedData(std::span<const std::uint8_t> chunk);
    // Before a command's first send: while an earlier send may still be answered, waits
    // with nothing pending, so that late reply is dropped instead of being taken for
    // this command's, then discards what has arrived. Never between the two parts of a
    // command (block, line write, clock record): how long the DC waits for the second
    // part is not known, so it follows the first part's acknowledgement at once.
    void AwaitQuietLine();
    // At the end of an exchange: the line stays busy for its last send when it resent
    // or ended without a reply; a single send that got its reply leaves it quiet.
    void EndExchange();
    // The 0xA8 rule: the first acknowledgement or rejection byte of the exchange
    // decides, so a stray byte ahead of it is passed over.
    void JudgeDeepSleepReply(std::span<const std::uint8_t> chunk);
    // One poll pass: serve events until the deadline sendTime + the rule's time-out, or
    // the end of a settling reply's quiet time (or until something arrived), then
    // return the seconds since sendTime.
    double PollPass(double sendTime, const ExchangeRule& rule);
    // A reply under a settling rule that has its bytes and a quiet line: its last
    // ReplyLength bytes are moved to the front and it is complete.
    void SettleReply(const ExchangeRule& rule);
    // Sends `command` and waits for its reply by `rule`: resends on silence and on a
    // rejection, stops on the rule's flags or its try limit. True when it ran out of
    // tries. The command reads the reply and the flags afterwards.
    bool Exchange(const ExchangeRule& rule, std::span<const std::uint8_t> command);
    unsigned RaisedFlags() const;  // the Flag bits now set
    void ClearFlags(unsigned flags);
    void StoreReply(std::vector<std::uint8_t>& buffer, std::span<const std::uint8_t> chunk);
    void CompleteCountingReply();

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
    std::string IdentityText;
    std::string VersionText;

    SerialPort& port_;
    EventPump& pump_;
    WizardState& state_;
    bool portFailed_ = false;  // the port failed and has not been opened again
    std::optional<double> lastReopenAt_;
    double quietAt_ = 0.0;         // a send of an ended exchange may be answered until then
    double lastReceivedAt_ = 0.0;  // when the last byte of a settling reply came
    double busyUntil_ = 0.0;       // the last send of the exchange under way may be answered until then
    int sendsInExchange_ = 0;
};

}  // namespace vor
