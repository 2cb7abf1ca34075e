// The byte layer: framing of every send, the reply rules, overflow, the busy-wait
// and what a port failure does to the link flags.

#include <gtest/gtest.h>

#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

TEST(SendBytes, AppendsOneZeroByteToTheCommandBytes) {
    LinkTestRig rig;
    rig.link.PendingCommand = Cmd::Block1;
    rig.link.SendBuffer[0] = 0xB5;
    rig.link.SendBuffer[1] = 0x12;
    rig.link.SendBuffer[2] = 0x34;
    rig.link.NakReceived = true;
    rig.link.SendBytes(3);
    EXPECT_EQ(rig.written(0), (Bytes{0xB5, 0x12, 0x34, 0x00}));
    EXPECT_FALSE(rig.link.NakReceived);
}

TEST(SendBytes, SendsNothingAndKeepsTheRejectionWhileNoCommandIsPending) {
    LinkTestRig rig;
    rig.link.PendingCommand = NoCommand;
    rig.link.NakReceived = true;
    rig.link.SendBytes(3);
    EXPECT_EQ(rig.sends(), 0);
    EXPECT_TRUE(rig.link.NakReceived);
}

TEST(ReplyRules, BytesAfterACompletedCountingReplyAreDiscarded) {
    LinkTestRig rig;
    rig.link.PendingCommand = Cmd::Revision;
    rig.link.HandleReceivedData(Bytes{0x00, 0x07});
    ASSERT_TRUE(rig.link.ReplyComplete);
    rig.link.HandleReceivedData(Bytes{0xEE, 0xEE, 0xEE});
    EXPECT_EQ(rig.link.ReceivedCount, 2);
    EXPECT_EQ(rig.link.ReplyBuffer[0], 0x00);
    EXPECT_EQ(rig.link.ReplyBuffer[1], 0x07);
}

TEST(ReplyRules, MemoryReadCollectsIntoTheProfileBufferAndNeedsTheAcknowledgementFirst) {
    LinkTestRig rig;
    rig.link.PendingCommand = Cmd::MemoryRead;
    rig.link.ExpectedLength = 129;
    Bytes reply(129, 0x11);
    reply[0] = 0x00;  // not an acknowledgement
    rig.link.HandleReceivedData(reply);
    EXPECT_FALSE(rig.link.ReplyComplete);
    EXPECT_EQ(rig.link.ReplyBuffer[1], 0x00);  // untouched

    rig.link.ReceivedCount = 0;
    reply[0] = AckByte;
    rig.link.HandleReceivedData(reply);
    EXPECT_TRUE(rig.link.ReplyComplete);
    EXPECT_EQ(rig.link.ProfileBuffer[128], 0x11);
}

TEST(ReplyRules, AcknowledgeOnlyCodesKeepTheCodePendingAndCompleteOnARejectionToo) {
    for (std::uint8_t code : {Cmd::Clock, Cmd::LineWrite, Cmd::Block1, Cmd::Close1, Cmd::Block2, Cmd::Argument2,
                              Cmd::Close2}) {
        SCOPED_TRACE(static_cast<int>(code));
        LinkTestRig rig;
        rig.link.PendingCommand = code;
        rig.link.HandleReceivedData(Bytes{AckByte});
        EXPECT_TRUE(rig.link.ReplyComplete);
        EXPECT_FALSE(rig.link.NakReceived);
        EXPECT_EQ(rig.link.PendingCommand, code);

        rig.link.ReceivedCount = 0;
        rig.link.ReplyComplete = false;
        rig.link.HandleReceivedData(Bytes{NakByte});
        EXPECT_TRUE(rig.link.ReplyComplete);
        EXPECT_TRUE(rig.link.NakReceived);
        EXPECT_EQ(rig.link.PendingCommand, code);
    }
}

TEST(ReplyRules, AnEmptyChunkChangesNothingEvenOverAStaleRejection) {
    LinkTestRig rig;
    rig.link.PendingCommand = Cmd::Block1;
    rig.link.ReplyBuffer[0] = NakByte;  // left from an earlier reply
    rig.link.HandleReceivedData(Bytes{});
    EXPECT_EQ(rig.link.ReceivedCount, 0);
    EXPECT_FALSE(rig.link.ReplyComplete);
    EXPECT_FALSE(rig.link.NakReceived);
}

TEST(ReplyRules, BytesWhileNothingIsPendingAreDiscarded) {
    LinkTestRig rig;
    rig.link.HandleReceivedData(Bytes{AckByte, 1, 2});
    EXPECT_EQ(rig.link.ReceivedCount, 0);
    EXPECT_EQ(rig.link.ReplyBuffer[0], 0);
}

TEST(ReplyRules, BytesBeyondTheBufferAreDroppedNotWrittenOutOfBounds) {
    LinkTestRig rig;
    rig.link.ReleaseReplyBuffers();  // one element, as after close
    rig.link.PendingCommand = Cmd::Identity;
    rig.link.ExpectedLength = 18;
    rig.link.HandleReceivedData(Bytes(300, 0x41));
    EXPECT_EQ(rig.link.ReceivedCount, 1);
    EXPECT_FALSE(rig.link.ReplyComplete);
    EXPECT_EQ(rig.link.ReplyBuffer.size(), 1u);

    rig.link.SizeReplyBuffers(512);
    EXPECT_EQ(rig.link.ReplyBuffer.size(), 512u * 136 + 2);
    EXPECT_EQ(rig.link.ProfileBuffer.size(), 512u * 136 + 2);
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

TEST(PortFailure, HangUpAndFailedWriteSetLinkErrorAndLinkAbort) {
    LinkTestRig rig;
    rig.port.failNextWrites(1);
    rig.link.PendingCommand = Cmd::Block1;
    rig.link.SendBytes(1);
    EXPECT_TRUE(rig.link.LinkError);
    EXPECT_TRUE(rig.link.LinkAbort);

    LinkTestRig other;
    other.port.hangUp(0.1);
    other.pump.yieldUntil(0.2);
    EXPECT_TRUE(other.link.LinkError);
    EXPECT_TRUE(other.link.LinkAbort);
}

TEST(PortFailure, DestroyedLinkNoLongerReceives) {
    FakeEventPump pump;
    FakeSerialPort port{pump};
    WizardState state;
    {
        CommModule link{port, pump, state};
    }
    port.deliver(Bytes{AckByte});
    port.hangUp(0.01);
    pump.yieldUntil(1.0);  // must not touch the destroyed link
    SUCCEED();
}

}  // namespace
}  // namespace vor::test
