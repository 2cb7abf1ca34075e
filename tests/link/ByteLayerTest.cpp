// The byte layer: framing of every send, the reply rules, overflow, the busy-wait
// and what a port failure does to the link, all seen on the wire.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

constexpr std::size_t IdentityReplyBytes = 18;

TEST(SendBytes, EveryTransmissionEndsInOneZeroByteAndARejectionIsForgottenAtTheResend) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{NakByte, 0x01} : Bytes{0x00, 0x03}; });
    EXPECT_EQ(rig.link.ReadRevision(), 3);
    EXPECT_EQ(rig.port.allWrittenBytes(), (Bytes{0xBA, 0x00, 0xBA, 0x00}));  // one resend, not twelve
}

TEST(ReplyRules, BytesAfterACompletedCountingReplyAreDiscarded) {
    LinkTestRig rig;
    // Both chunks arrive in the same pass; the second finds nothing pending.
    Bytes reply(IdentityReplyBytes + 3, 0xEE);
    std::fill_n(reply.begin(), IdentityReplyBytes, std::uint8_t{0x41});
    rig.port.setPeer(
        [&](std::span<const std::uint8_t>) { rig.port.deliverChunks(reply, {IdentityReplyBytes}, 0.01, 0.0); });
    EXPECT_TRUE(rig.link.ReadIdentity());
    EXPECT_EQ(rig.link.IdentityString(), std::string(16, 'A'));
    EXPECT_EQ(rig.sends(), 1);
}

TEST(ReplyRules, MemoryReadNeedsTheAcknowledgementFirst) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) {
        Bytes reply(129, 0x11);
        reply[0] = i == 0 ? 0x00 : AckByte;  // the first is not an acknowledgement
        return reply;
    });
    const auto block = rig.link.ReadMemoryBlock(0);
    ASSERT_TRUE(block);
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_NEAR(rig.sendTime(1), 0.2, 0.01);  // the first reply was waited out
    EXPECT_EQ((*block)[127], 0x11);
}

TEST(ReplyRules, OneAcknowledgementCompletesEachAcknowledgeOnlyExchangeAndKeepsItsCodeForTheSecondPart) {
    const CodeBlock block{};
    const MemoryLine line{};
    const std::pair<std::function<void(CommModule&)>, int> commands[] = {
        {[&](CommModule& l) { l.WriteCodeBlock(0x80, Cmd::Block1, block); }, 2},
        {[&](CommModule& l) { l.WriteCodeBlock(0x80, Cmd::Block2, block); }, 2},
        {[](CommModule& l) { l.SendCodeWord(Cmd::Close1, 1); }, 1},
        {[](CommModule& l) { l.SendCodeWordB8(1); }, 1},
        {[](CommModule& l) { l.SendCodeWord(Cmd::Close2, 1); }, 1},
        {[&](CommModule& l) { l.WriteMemoryLine(4, line); }, 2},
        {[](CommModule& l) { l.SetClock("03/07/09", "14:05:30", 233); }, 2}};
    for (const auto& [command, sends] : commands) {
        LinkTestRig rig;
        rig.answerAlways({AckByte});
        command(rig.link);
        EXPECT_EQ(rig.sends(), sends);
        EXPECT_FALSE(rig.state.CommError);
        EXPECT_LT(rig.pump.now(), 0.1);
    }
}

TEST(ReplyRules, AnEmptyChunkIsNotJudgedByAStaleRejection) {
    LinkTestRig rig;
    rig.answerAlways({NakByte});
    EXPECT_FALSE(rig.link.RequestLineWrite(4));  // leaves a rejection behind
    rig.port.setPeer([&](std::span<const std::uint8_t>) {
        rig.port.deliver({}, 0.01);
        rig.port.deliver({AckByte}, 0.05);
    });
    EXPECT_TRUE(rig.link.SendBlockAddress(0x80, Cmd::Block1));
    EXPECT_EQ(rig.sends(), 2);  // no resend
}

TEST(ReplyRules, BytesBeyondTheBufferAreDroppedNotWrittenOutOfBounds) {
    LinkTestRig rig;
    rig.link.ReleaseReplyBuffers();  // one element, as after close
    rig.answerAlways(Bytes(300, 0x41));
    EXPECT_FALSE(rig.link.ReadIdentity());

    rig.link.SizeReplyBuffers(512);
    rig.answerAlways(IdentityReply("VOR FW1E 0012345"));
    EXPECT_TRUE(rig.link.ReadIdentity());
}

TEST(WaitSeconds, SleepsLongerThanAskedWithoutServingEvents) {
    LinkTestRig rig;
    bool served = false;
    rig.pump.schedule(0.5, [&] { served = true; });
    rig.link.WaitSeconds(2.0);
    EXPECT_GT(rig.pump.now(), 2.0);
    EXPECT_LT(rig.pump.now(), 2.1);
    EXPECT_FALSE(served);
    EXPECT_EQ(rig.pump.yieldCount(), 0u);
}

TEST(PortFailure, HangUpAndFailedWriteAbortTheLink) {
    LinkTestRig rig;
    rig.port.failNextWrites(1);
    EXPECT_FALSE(rig.link.SendBlockAddress(0x80, Cmd::Block1));
    EXPECT_EQ(rig.abortProbe(), std::make_pair(1, 1));

    LinkTestRig other;
    other.port.hangUp(0.1);
    EXPECT_FALSE(other.link.ReadIdentity());
    EXPECT_NEAR(other.pump.now(), 0.1, 0.01);  // not 22 s of resends
}

// The recovery's loop with the cable left out: each renewal yields, tries the port at
// most once a second, and unwinds once the program is ending.
TEST(PortFailure, CableLeftOutIsTriedAgainAtMostOnceASecondAndTheWaitSeesTheEnd) {
    LinkTestRig rig;
    rig.port.hangUp(0.0);
    rig.pump.yieldUntil(0.01);
    std::vector<double> tries;
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t yields = rig.pump.yieldCount();
        EXPECT_FALSE(rig.link.RenewLink());
        EXPECT_GT(rig.pump.yieldCount(), yields);
        tries.push_back(rig.pump.now());
    }
    EXPECT_LT(tries[0], 0.1);
    for (std::size_t i = 1; i < tries.size(); ++i)
        EXPECT_GE(tries[i] - tries[i - 1], CommModule::ReopenInterval - 1e-9);
    EXPECT_LT(tries.back(), 3 * CommModule::ReopenInterval + 0.1);

    rig.pump.endProgram();
    EXPECT_THROW(rig.link.RenewLink(), ProgramEnding);

    LinkTestRig plugged;
    plugged.port.hangUp(0.0);
    plugged.pump.yieldUntil(0.01);
    EXPECT_FALSE(plugged.link.RenewLink());
    plugged.port.plugIn();
    EXPECT_TRUE(plugged.link.RenewLink());
    EXPECT_EQ(plugged.port.reopenCount(), 1);
    EXPECT_TRUE(plugged.identify("VOR DC 1E 012345"));
}

TEST(PortFailure, DestroyedLinkNoLongerReceives) {
    FakeEventPump pump;
    FakeSerialPort port{pump};
    WizardState state;
    { CommModule link{port, pump, state}; }
    port.deliver(Bytes{AckByte});
    port.hangUp(0.01);
    pump.yieldUntil(1.0);  // must not touch the destroyed link
    SUCCEED();
}

}  // namespace
}  // namespace vor::test
