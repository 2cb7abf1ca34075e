// The line itself: pacing at 38400 bit/s, the trailing 0x00 of every unit, and the
// drop of an incomplete unit after a short silence.

#include <gmock/gmock.h>

#include "tests/tools/SimTestRig.h"

namespace vor::sim::test {
namespace {

constexpr double ByteTime = 1.0 / 3840.0;

TEST(SimLine, A129ByteReplyTakesItsWireTimeAfterTheRequestArrived) {
    SimRig rig;  // processing delay 1 ms
    const double sentAt = rig.pump.now();
    ASSERT_EQ(rig.exchange({0xB4, 0x00, 0x00, 0x00}).size(), 129u);
    ASSERT_EQ(rig.chunks.size(), 1u);
    EXPECT_NEAR(rig.chunks[0].at - sentAt, (4 + 129) * ByteTime + 0.001, 1e-9);
}

TEST(SimLine, ABlockWriteTakes136ByteTimesOnTheWire) {
    SimRig rig({.processingDelay = 0.0});
    const double start = rig.pump.now();
    ASSERT_EQ(rig.exchange({0xB5, 0x00, 0x00, 0x00}, 0.01), Ack());
    EXPECT_NEAR(rig.chunks[0].at - start, 5 * ByteTime, 1e-9);  // 4 in, 1 out
    const double blockSentAt = rig.pump.now();
    ASSERT_EQ(rig.exchange(BlockUnit(0, 0), 0.1), Ack());
    EXPECT_NEAR(rig.chunks[0].at - blockSentAt, 131 * ByteTime, 1e-9);  // 130 in, 1 out
}

TEST(SimLine, BackToBackWritesQueueOnTheLine) {
    SimRig rig({.processingDelay = 0.0});
    rig.send({0xBA, 0x00});
    rig.send({0xBA, 0x00});
    rig.run(0.1);
    ASSERT_EQ(rig.chunks.size(), 2u);
    EXPECT_NEAR(rig.chunks[0].at, 4 * ByteTime, 1e-9);  // 2 in, 2 out
    EXPECT_NEAR(rig.chunks[1].at, 6 * ByteTime, 1e-9);  // its request arrived behind the first
}

TEST(SimLine, CommandWithoutItsTrailingZeroIsNotAnswered) {
    SimRig rig;
    EXPECT_TRUE(rig.exchange({0x84}).empty());
    EXPECT_TRUE(rig.exchange({0x84, 0x01}, 0.01).empty());
    // After the silence the DC is back in step.
    rig.run(0.1);
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::Identity), 1);
}

TEST(SimLine, IncompleteUnitIsDroppedAfter50MsOfSilence) {
    SimRig rig;
    rig.send({0xB4, 0x00});
    rig.run(0.049);
    rig.send({0x00, 0x00});  // completes the unit: still within the silence limit
    rig.run(0.2);
    EXPECT_EQ(rig.received().size(), 129u);

    rig.chunks.clear();
    rig.send({0xB4, 0x00});
    rig.run(0.051);
    rig.send({0x00, 0x00});  // too late: the start was dropped, and 00 00 is no command
    rig.run(0.2);
    EXPECT_TRUE(rig.received().empty());
    EXPECT_EQ(rig.dc().droppedUnits(), 1);
    EXPECT_EQ(rig.exchange({0xB4, 0x00, 0x00, 0x00}).size(), 129u);
}

TEST(SimLine, ResentAnnouncementAfterALostAcknowledgementGetsBackInStep) {
    SimRig rig({.faults = {FaultRule{.action = FaultAction::LoseReply, .kind = UnitKind::Announce1, .nth = 1}}});
    EXPECT_TRUE(rig.exchange({0xB5, 0x00, 0x00, 0x00}).empty());
    // The DC waits for data and takes the resent announcement as its start; the
    // silence that follows drops it.
    EXPECT_TRUE(rig.exchange({0xB5, 0x00, 0x00, 0x00}).empty());
    EXPECT_EQ(rig.exchange({0xB5, 0x00, 0x00, 0x00}), Ack());
    EXPECT_EQ(rig.exchange(BlockUnit(0, 9)), Ack());
    EXPECT_EQ(rig.exchange({0xB6, 0x00, 0x09, 0x00}), Ack());
}

TEST(SimLine, UnknownCommandByteIsIgnoredUpToTheNextSilence) {
    SimRig rig;
    EXPECT_TRUE(rig.exchange({0x42, 0x84, 0x00}, 0.01).empty());
    EXPECT_TRUE(rig.exchange({0x84, 0x00}, 0.1).empty());  // 10 ms later: still the same burst
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
}

TEST(SimLine, UnclippedDcHearsNothing) {
    SimRig rig;
    rig.peer.unclip();
    EXPECT_TRUE(rig.exchange({0x84, 0x00}, 3.0).empty());
    EXPECT_EQ(rig.dc().totalExchanges(), 0);
    rig.peer.clip();
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
}

}  // namespace
}  // namespace vor::sim::test
