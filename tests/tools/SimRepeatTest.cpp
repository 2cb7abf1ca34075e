// A data unit sent again after its acknowledgement was lost, and faults that last a
// while and then heal.

#include <gmock/gmock.h>

#include "tests/tools/SimTestRig.h"

namespace vor::sim::test {
namespace {

DcConfig LosingFirst(UnitKind kind) {
    return {.faults = {FaultRule{.action = FaultAction::LoseReply, .kind = kind, .nth = 1}}};
}

Bytes Sixteen(std::uint8_t first) {
    Bytes bytes;
    for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<std::uint8_t>(first + 3 * i));
    return bytes;
}

// 9-byte clock record with its sum and the trailing 0x00.
Bytes ClockUnit() {
    Bytes unit{0x09, 0x07, 0x03, 0x30, 0x05, 0x82, 0xE9, 0x00};
    unsigned sum = 0;
    for (auto b : unit) sum += b;
    unit.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    unit.push_back(0x00);
    return unit;
}

TEST(SimRepeat, LineDataRepeatedAfterALostAcknowledgementIsAcknowledgedAgain) {
    SimRig rig(LosingFirst(UnitKind::LineData));
    ASSERT_EQ(rig.exchange({0xB2, 0x01, 0x2C, 0x00}), Ack());
    const Bytes data = Sixteen(0x10);
    EXPECT_TRUE(rig.exchange(LineUnit(data)).empty());
    EXPECT_EQ(rig.exchange(LineUnit(data)), Ack());
    EXPECT_EQ(rig.exchange(LineUnit(data)), Ack());  // and again, should that one be lost too
    const Line stored = rig.dc().memoryLine(300);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), stored.begin()));
    EXPECT_EQ(rig.dc().exchanges(UnitKind::LineData), 3);
    // Back in step for the next command.
    EXPECT_EQ(rig.exchange({0xB4, 0x00, 0x00, 0x00}).size(), 129u);
}

TEST(SimRepeat, OnlyAnIdenticalUnitBeforeTheNextCommandCountsAsARepeat) {
    SimRig rig;
    ASSERT_EQ(rig.exchange({0xB2, 0x01, 0x2C, 0x00}), Ack());
    ASSERT_EQ(rig.exchange(LineUnit(Sixteen(0x10))), Ack());

    EXPECT_TRUE(rig.exchange(LineUnit(Sixteen(0x11))).empty());  // other bytes: not stored
    EXPECT_EQ(rig.dc().memoryLine(300)[0], 0x10);
    rig.run(0.1);
    ASSERT_EQ(rig.exchange({0xBA, 0x00}).size(), 2u);
    EXPECT_TRUE(rig.exchange(LineUnit(Sixteen(0x10))).empty());  // a command came in between
    EXPECT_EQ(rig.dc().exchanges(UnitKind::LineData), 1);
}

TEST(SimRepeat, RepeatWhoseFirstBytesMakeACommandIsThatCommand) {
    SimRig rig;
    Bytes data = Sixteen(0x10);
    data[0] = 0xBA;
    data[1] = 0x00;
    ASSERT_EQ(rig.exchange({0xB2, 0x01, 0x2C, 0x00}), Ack());
    ASSERT_EQ(rig.exchange(LineUnit(data)), Ack());
    EXPECT_EQ(rig.exchange(LineUnit(data)), (Bytes{0xBA, 0x01}));
    EXPECT_EQ(rig.dc().exchanges(UnitKind::Revision), 1);
}

TEST(SimRepeat, ClockRecordRepeatedAfterALostAcknowledgementIsAcknowledgedAgain) {
    SimRig rig(LosingFirst(UnitKind::ClockRecord));
    ASSERT_EQ(rig.exchange({0x97, 0x00}), Ack());
    EXPECT_TRUE(rig.exchange(ClockUnit(), 1.2).empty());
    EXPECT_EQ(rig.exchange(ClockUnit()), Ack());
    ASSERT_TRUE(rig.dc().lastClockRecord().has_value());
    EXPECT_EQ((*rig.dc().lastClockRecord())[6], 0xE9);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::ClockRecord), 2);
}

TEST(SimFaultWindow, SilenceFromTheNthUnitLastsItsTimeThenHeals) {
    SimRig rig({.faults = {FaultRule{.action = FaultAction::Silent, .anyKind = true, .nth = 2, .lastsFor = 10.0}}});
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    EXPECT_TRUE(rig.exchange({0x84, 0x00}).empty());
    rig.run(9.0);
    EXPECT_TRUE(rig.exchange({0xBA, 0x00}).empty());
    rig.run(1.0);
    EXPECT_EQ(rig.exchange({0xBA, 0x00}), (Bytes{0xBA, 0x01}));
    EXPECT_EQ(rig.dc().totalExchanges(), 4);
}

TEST(SimFaultWindow, RejectionStormStartedByOneKindRefusesEveryKindUntilItHeals) {
    SimRig rig(
        {.faults = {FaultRule{.action = FaultAction::Reject, .kind = UnitKind::Identity, .nth = 2, .lastsFor = 2.0}}});
    EXPECT_EQ(rig.exchange({0xB4, 0x00, 0x00, 0x00}).size(), 129u);
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    EXPECT_EQ(rig.exchange({0x84, 0x00}), Nak());
    EXPECT_EQ(rig.exchange({0xB4, 0x00, 0x00, 0x00}), Nak());
    rig.run(2.0);
    EXPECT_EQ(rig.exchange({0xB4, 0x00, 0x00, 0x00}).size(), 129u);
}

}  // namespace
}  // namespace vor::sim::test
