// Every fault the simulated DC can show, on the fake clock.

#include <gmock/gmock.h>

#include "tests/tools/SimTestRig.h"

namespace vor::sim::test {
namespace {

DcConfig WithFault(FaultRule rule) {
    DcConfig config;
    config.faults.push_back(rule);
    return config;
}

TEST(SimFaults, RejectsOnlyTheNthCommandOfItsKind) {
    SimRig rig(WithFault({.action = FaultAction::Reject, .kind = UnitKind::Identity, .nth = 2}));
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    EXPECT_EQ(rig.exchange({0xBA, 0x00}).size(), 2u);
    EXPECT_EQ(rig.exchange({0x84, 0x00}), Nak());
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::Identity), 3);
    EXPECT_EQ(rig.dc().totalExchanges(), 4);
}

TEST(SimFaults, RejectedLineDataIsAwaitedAgain) {
    SimRig rig(WithFault({.action = FaultAction::Reject, .kind = UnitKind::LineData, .nth = 1}));
    ASSERT_EQ(rig.exchange({0xB2, 0x01, 0x00, 0x00}), Ack());
    const Bytes data(16, 0x42);
    EXPECT_EQ(rig.exchange(LineUnit(data)), Nak());
    EXPECT_NE(rig.dc().memoryLine(256)[0], 0x42);
    EXPECT_EQ(rig.exchange(LineUnit(data)), Ack());
    EXPECT_EQ(rig.dc().memoryLine(256)[0], 0x42);
}

TEST(SimFaults, SilentUnitHasNoAnswerAndNoEffect) {
    SimRig rig(WithFault({.action = FaultAction::Silent, .kind = UnitKind::DeepSleep, .nth = 1}));
    EXPECT_TRUE(rig.exchange({0xA8, 0x55, 0x00}, 1.5).empty());
    EXPECT_EQ(rig.dc().mode(), DcMode::Awake);
    EXPECT_EQ(rig.exchange({0xA8, 0x55, 0x00}), Ack());
    EXPECT_EQ(rig.dc().mode(), DcMode::Asleep);
}

TEST(SimFaults, SilentBlockDataLeavesTheDcWaitingForIt) {
    SimRig rig(WithFault({.action = FaultAction::Silent, .kind = UnitKind::BlockData1, .nth = 1}));
    ASSERT_EQ(rig.exchange({0xB5, 0x00, 0x00, 0x00}), Ack());
    EXPECT_TRUE(rig.exchange(BlockUnit(0, 1)).empty());
    EXPECT_EQ(rig.exchange(BlockUnit(0, 1)), Ack());
    EXPECT_EQ(rig.exchange({0xB6, 0x00, 0x01, 0x00}), Ack());
}

TEST(SimFaults, LostReplyStillTakesEffect) {
    SimRig rig(WithFault({.action = FaultAction::LoseReply, .kind = UnitKind::DeepSleep, .nth = 1}));
    EXPECT_TRUE(rig.exchange({0xA8, 0x55, 0x00}, 1.5).empty());
    EXPECT_EQ(rig.dc().mode(), DcMode::Asleep);
}

TEST(SimFaults, ProbabilityFaultsRepeatWithTheSeed) {
    const auto pattern = [](std::uint32_t seed) {
        DcConfig config = WithFault({.action = FaultAction::Reject, .anyKind = true, .probability = 0.3});
        config.seed = seed;
        SimRig rig(config);
        std::string marks;
        for (int i = 0; i < 40; ++i) marks += rig.exchange({0xBA, 0x00}) == Nak() ? 'R' : '.';
        return marks;
    };
    const std::string first = pattern(5);
    EXPECT_EQ(first, pattern(5));
    EXPECT_NE(first, pattern(6));
    const auto rejects = std::count(first.begin(), first.end(), 'R');
    EXPECT_GT(rejects, 3);
    EXPECT_LT(rejects, 25);
}

TEST(SimFaults, ChunkedReplyArrivesInPiecesWithTheSameBytes) {
    SimRig whole;
    const Bytes expected = whole.exchange({0x84, 0x00});
    SimRig rig({.chunkSize = 5});
    EXPECT_EQ(rig.exchange({0x84, 0x00}), expected);
    ASSERT_EQ(rig.chunks.size(), 4u);
    EXPECT_EQ(rig.chunks[0].bytes.size(), 5u);
    EXPECT_EQ(rig.chunks[3].bytes.size(), 3u);
    EXPECT_LT(rig.chunks[0].at, rig.chunks[1].at);
}

TEST(SimFaults, GarbageComesBeforeOrAfterTheAnswer) {
    SimRig before(
        WithFault({.action = FaultAction::GarbageBefore, .kind = UnitKind::Revision, .nth = 1, .garbageCount = 4}));
    const Bytes noisy = before.exchange({0xBA, 0x00});
    ASSERT_EQ(noisy.size(), 6u);
    EXPECT_EQ(Bytes(noisy.begin() + 4, noisy.end()), (Bytes{0xBA, 0x01}));

    SimRig after(
        WithFault({.action = FaultAction::GarbageAfter, .kind = UnitKind::Revision, .nth = 1, .garbageCount = 2}));
    const Bytes trailing = after.exchange({0xBA, 0x00});
    ASSERT_EQ(trailing.size(), 4u);
    EXPECT_EQ(Bytes(trailing.begin(), trailing.begin() + 2), (Bytes{0xBA, 0x01}));
}

TEST(SimFaults, PulledCableHangsThePortUpAtTheNthExchange) {
    SimRig rig(WithFault({.action = FaultAction::PullCable, .anyKind = true, .nth = 3}));
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    EXPECT_EQ(rig.exchange({0xB4, 0x00, 0x00, 0x00}).size(), 129u);
    EXPECT_TRUE(rig.exchange({0xBA, 0x00}).empty());
    EXPECT_TRUE(rig.port.hungUp());
    EXPECT_EQ(rig.failures, 1);
    EXPECT_TRUE(rig.dc().cablePulled());
}

TEST(SimFaults, NeverRestartingDcStaysSilentAfterTheUpload) {
    SimRig rig({.neverRestart = true});
    ASSERT_EQ(rig.exchange({0xB6, 0x00, 0x00, 0x00}), Ack());  // an empty section sums to 0
    EXPECT_TRUE(rig.exchange({0x84, 0x00}, 600.0).empty());
    rig.peer.press();
    EXPECT_TRUE(rig.exchange({0x84, 0x00}).empty());
}

TEST(SimFaults, AnotherModelReportsItsOwnName) {
    SimRig rig({.model = "XYZ"});
    const Bytes reply = rig.exchange({0x84, 0x00});
    EXPECT_EQ(std::string(reply.begin() + 1, reply.begin() + 17), "XYZ FW1E 0012345");
}

TEST(SimFaults, SlowWakeAnswersOnlyAfterTheDelay) {
    SimRig rig({.wakeDelay = 4.0});
    rig.exchange({0xA8, 0x55, 0x00});
    rig.peer.press();
    EXPECT_TRUE(rig.exchange({0x84, 0x00}, 4.1).empty());  // sent right after the press
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
}

}  // namespace
}  // namespace vor::sim::test
