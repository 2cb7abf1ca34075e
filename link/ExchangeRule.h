#pragma once
// How a command of the DC's link is sent, waited for and sent again: the row each
// command hands the one exchange routine (CommModule::Exchange). No two commands
// wait and resend quite alike, so each row spells out its own ways.

namespace vor {

// Flags of the link state that a rule tests while it polls.
namespace Flag {
constexpr unsigned Reply = 1u << 0;      // ReplyComplete (acknowledge-only: also set by a rejection)
constexpr unsigned Abort = 1u << 1;      // LinkAbort
constexpr unsigned Error = 1u << 2;      // LinkError
constexpr unsigned CommError = 1u << 3;  // the wizard's CommError
}  // namespace Flag

// When the port's buffers are discarded ahead of a send.
enum class Discard { Never, BeforeFirstSend, BeforeEverySend };

struct ExchangeRule {
    double Timeout = 0.0;  // seconds each send is waited for
    // Silence resends while fewer resends were made; the exchange gives up right after
    // the last one, which is sent and not waited for.
    int MaxResends = 0;
    int ReplyLength = 1;  // ExpectedLength of the counting reply rules
    // > 0: a counting reply is complete once ReplyLength bytes have come and the line has
    // then stayed quiet this long; the reply is the last ReplyLength bytes. For replies
    // whose bytes carry no marker, so that stray bytes ahead and any split pass over.
    double SettleSeconds = 0.0;
    // The second part of a command (block data, clock record, line data): the code of
    // the acknowledged first part stays pending and the line is not waited quiet.
    bool SecondPart = false;
    unsigned ClearedFirst = 0;  // flags cleared before the first send
    Discard DiscardBuffers = Discard::Never;
    bool StampAfterFirstSend = false;  // SendStartTime taken after the send instead of before
    bool StampAfterResend = false;
    unsigned HeldBy = Flag::Reply | Flag::Abort;  // flags that hold back a resend on silence
    unsigned EndOn = Flag::Reply | Flag::Abort;   // flags that end the wait
    bool ResendOnRejection = true;                // a rejection resends at the next pass, past time-out and limit
    bool ClearReplyOnResend = true;               // false: a late reply to an earlier send still counts
    bool RearmOnResend = true;                    // the code set pending again (a completed counting reply cleared it)
    bool RefillOnResend = true;                   // the command's bytes put into the send buffer again
    // Silence or a rejection ends the exchange without a resend: the caller repeats the
    // whole command (a block's announcement and data).
    bool CallerRepeats = false;
};

}  // namespace vor
