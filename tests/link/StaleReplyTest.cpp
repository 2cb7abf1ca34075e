// A reply that belongs to an earlier send (the unawaited last resend of a command that
// gave up, or a command that Close interrupted) arrives while the next command waits: it
// must never be taken for that command's reply. The line is drained before a command's
// first part, never between its parts. And replies with a stray byte ahead of them.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "tests/link/LinkTestRig.h"

using namespace vor;
using namespace vor::test;

namespace {

const std::string Identity = "VOR WATCH 1H 512";

MemoryBlock Block() {
    MemoryBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return block;
}

// A DC that answers by command code after `delay`; codes without an entry (and the
// clock record) get `other`, empty for silence.
void AnswerByCode(LinkTestRig& rig, std::map<std::uint8_t, Bytes> replies, Bytes other = {}, double delay = 0.001) {
    rig.answer(
        [replies, other](int, const Bytes& w) {
            const auto it = replies.find(w[0]);
            return it == replies.end() || w.size() > 4 ? other : it->second;
        },
        delay);
}

struct StaleCase {
    const char* name;
    std::function<void(LinkTestRig&)> giveUp;  // runs against a DC silent but for a clock open
    Bytes late;                                // the reply to its last send, 50 ms after it
    std::function<void(LinkTestRig&)> next;
    std::function<void(LinkTestRig&)> expect;
};

class StaleReply : public ::testing::TestWithParam<StaleCase> {};

TEST_P(StaleReply, IsDroppedAndTheNextCommandGetsItsOwnReplyFromOneSend) {
    const StaleCase& c = GetParam();
    LinkTestRig rig;
    AnswerByCode(rig, {{0x97, {AckByte}}});
    c.giveUp(rig);
    ASSERT_TRUE(rig.state.CommError || rig.link.IdentityString().empty());
    rig.port.deliver(c.late, 0.05);
    rig.state.CommError = false;
    Bytes block{AckByte};
    for (auto b : Block()) block.push_back(b);
    Bytes identity = IdentityReply(Identity);
    identity[0] = AckByte;
    // Slower than the late reply, which therefore arrives first.
    AnswerByCode(rig, {{0x84, identity}, {0xB4, block}, {0x97, {AckByte}}}, {AckByte}, 0.08);
    const int before = rig.sends();
    c.next(rig);
    c.expect(rig);
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.sends() - before, rig.written(static_cast<std::size_t>(before))[0] == 0x97 ? 2 : 1);
}

void ReadBlock(LinkTestRig& rig) { EXPECT_EQ(rig.link.ReadMemoryBlock(0), Block()); }
void Nothing(LinkTestRig&) {}

INSTANTIATE_TEST_SUITE_P(
    Link, StaleReply,
    ::testing::Values(StaleCase{"IdentityThenMemoryRead", [](LinkTestRig& r) { r.link.ReadIdentity(); },
                                [] {
                                    Bytes b = IdentityReply("VOR WATCH 1H 512");
                                    b[0] = AckByte;
                                    return b;
                                }(),
                                ReadBlock, Nothing},
                      StaleCase{"MemoryReadThenClock",
                                [](LinkTestRig& r) { (void)r.link.ReadMemoryBlock(0); },
                                {NakByte},
                                [](LinkTestRig& r) { r.link.SetClock("12/07/26", "17:45:00", 233); },
                                Nothing},
                      StaleCase{"LineWriteThenIdentity",
                                [](LinkTestRig& r) { r.link.RequestLineWrite(300); },
                                {AckByte},
                                [](LinkTestRig& r) { EXPECT_TRUE(r.link.ReadIdentity()); },
                                [](LinkTestRig& r) { EXPECT_EQ(r.link.IdentityString(), Identity); }},
                      StaleCase{"ClockRecordThenMemoryRead",
                                [](LinkTestRig& r) { r.link.SetClock("12/07/26", "17:45:00", 233); },
                                {AckByte},
                                ReadBlock,
                                Nothing}),
    [](const auto& p) { return std::string(p.param.name); });

// Close (the window's, or Ctrl-C) runs inside the yield of a waiting command: its
// recovery reads the identity at once, then it aborts the link. The interrupted
// block reply is still coming in, in USB packets, when the identity read starts.
TEST(StaleReply, TailOfABlockReplyCutOffByACloseInsideItsWaitIsNotTakenForTheRecoverysIdentity) {
    LinkTestRig rig;
    Bytes block{AckByte};
    for (auto b : Block()) block.push_back(b);
    rig.port.setPeer([&](std::span<const std::uint8_t> w) {
        if (w[0] == Cmd::MemoryRead) rig.port.deliverChunks(block, {62, 62}, 0.01, 0.001);
        if (w[0] == Cmd::Identity) rig.port.deliver(IdentityReply(Identity), 0.02);
    });
    bool identified = false;
    rig.pump.schedule(0.0105, [&] {
        ASSERT_TRUE(rig.link.RenewLink());
        identified = rig.link.ReadIdentity();
        rig.link.Abort();
    });
    EXPECT_FALSE(rig.link.ReadMemoryBlock(0));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_TRUE(identified);
    EXPECT_EQ(rig.link.IdentityString(), Identity);
    ASSERT_EQ(rig.sends(), 2);
    EXPECT_EQ(rig.written(1), (Bytes{Cmd::Identity, 0x00}));
    // Sent once the block read's send can no longer be answered.
    EXPECT_NEAR(rig.sendTime(1) - rig.sendTime(0), CommModule::MinimumReplyWindow, 0.005);
}

struct TwoPartCase {
    const char* name;
    std::function<void(LinkTestRig&)> run;
    double firstPartTimeout;
    std::size_t secondPartLength;  // with the closing 0x00
};
void PrintTo(const TwoPartCase& c, std::ostream* os) { *os << c.name; }

class TwoPartCommand : public ::testing::TestWithParam<TwoPartCase> {};

// How long the DC waits for a second part is not known: it follows its acknowledged first
// part at once, even when that was a resend whose first send may still be answered.
TEST_P(TwoPartCommand, SecondPartFollowsTheAcknowledgementAtOnceAndTheNextFirstPartWaitsForQuiet) {
    const TwoPartCase& c = GetParam();
    LinkTestRig rig;
    // The DC misses the very first send and acknowledges every other one after 1 ms.
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{} : Bytes{AckByte}; });
    c.run(rig);
    c.run(rig);
    EXPECT_FALSE(rig.state.CommError);
    ASSERT_EQ(rig.sends(), 5);
    EXPECT_EQ(rig.written(1), rig.written(0));
    EXPECT_EQ(rig.written(3), rig.written(0));
    EXPECT_EQ(rig.written(2).size(), c.secondPartLength);
    EXPECT_EQ(rig.written(4), rig.written(2));
    EXPECT_NEAR(rig.sendTime(1), c.firstPartTimeout, 0.005);
    EXPECT_NEAR(rig.sendTime(2) - rig.sendTime(1), 0.001, 0.002);
    // The next command's first part: not before the first part's resend went quiet.
    EXPECT_NEAR(rig.sendTime(3) - rig.sendTime(1), CommModule::MinimumReplyWindow, 0.005);
    EXPECT_NEAR(rig.sendTime(4) - rig.sendTime(3), 0.001, 0.002);
}

INSTANTIATE_TEST_SUITE_P(
    Link, TwoPartCommand,
    ::testing::Values(
        TwoPartCase{"BlockWrite", [](LinkTestRig& r) { r.link.WriteCodeBlock(0x80, Cmd::Block1, CodeBlock{}); }, 0.2,
                    CodeBlockLength + 1},
        TwoPartCase{"LineWrite", [](LinkTestRig& r) { r.link.WriteMemoryLine(300, MemoryLine{}); }, 0.1,
                    MemoryLineLength + 1},
        TwoPartCase{"ClockRecord", [](LinkTestRig& r) { r.link.SetClock("12/07/26", "17:45:00", 233); }, 0.1, 10}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(StrayByte, AheadOfTheDeepSleepAcknowledgementOrTheRevisionIsPassedOver) {
    LinkTestRig rig;
    rig.port.setPeer([&](std::span<const std::uint8_t> w) {
        const Bytes reply = w[0] == Cmd::DeepSleep ? Bytes{AckByte} : Bytes{0xBA, 0x07};
        rig.port.deliverChunks(Bytes{0x00}, {1}, 0.001);
        rig.port.deliver(reply, 0.01);
    });
    EXPECT_TRUE(rig.link.EnterDeepSleep());
    EXPECT_EQ(rig.link.ReadRevision(), 7);
    EXPECT_EQ(rig.sends(), 2);
}

}  // namespace
