// The simulated DC's answer to each command, byte for byte.

#include <gmock/gmock.h>

#include "tests/tools/SimTestRig.h"

namespace vor::sim::test {
namespace {

using ::testing::ElementsAre;

Bytes Text(const std::string& s) { return {s.begin(), s.end()}; }

TEST(SimCommands, IdentityIs18BytesAroundTheSixteenCharacterText) {
    SimRig rig;
    const Bytes reply = rig.exchange({0x84, 0x00});
    ASSERT_EQ(reply.size(), 18u);
    EXPECT_NE(reply[0], 0xA5);
    EXPECT_EQ(Bytes(reply.begin() + 1, reply.begin() + 17), Text("VOR FW1E 0012345"));
    ASSERT_EQ(rig.chunks.size(), 1u);
}

TEST(SimCommands, RevisionIsTwoBytesWithTheRevisionLast) {
    SimRig rig;
    const Bytes reply = rig.exchange({0xBA, 0x00});
    ASSERT_EQ(reply.size(), 2u);
    EXPECT_NE(reply[0], 0xA5);
    EXPECT_EQ(reply[1], 1);
}

TEST(SimCommands, MemoryReadOfBlockZeroCarriesSerialAndPointers) {
    SimRig rig;
    const Bytes reply = rig.exchange({0xB4, 0x00, 0x00, 0x00});
    ASSERT_EQ(reply.size(), 129u);
    EXPECT_EQ(reply[0], 0x5A);
    EXPECT_THAT(Bytes(reply.begin() + 11, reply.begin() + 14), ElementsAre(0x01, 0x23, 0x45));
    // 512 class: pointers are byte addresses, low byte first.
    const int start = (reply[1 + 72] + 256 * reply[1 + 73]) / 16;
    const int end = (reply[1 + 74] + 256 * reply[1 + 75]) / 16;
    EXPECT_EQ(start, rig.dc().memory().startLine());
    EXPECT_EQ(end, rig.dc().memory().endLine());
    EXPECT_GE(start, 256);
    EXPECT_GT(end, start);
}

TEST(SimCommands, MemoryReadAddressesLinesHighByteFirst) {
    SimRig rig;
    const Bytes reply = rig.exchange({0xB4, 0x01, 0x08, 0x00});  // line 0x108
    ASSERT_EQ(reply.size(), 129u);
    const auto block = rig.dc().memory().block(0x108);
    EXPECT_EQ(Bytes(reply.begin() + 1, reply.end()), block);
}

TEST(SimCommands, MemoryReadBeyondTheMemoryIsRefused) {
    SimRig rig;
    EXPECT_EQ(rig.exchange({0xB4, 0x0F, 0xF9, 0x00}), Nak());  // 4089 + 8 > 4096 lines
    SimRig big({.memorySize = 1024});
    EXPECT_EQ(big.exchange({0xB4, 0x0F, 0xF8, 0x00}).size(), 129u);
}

TEST(SimCommands, LineWriteStoresTheLineByLineNumber) {
    SimRig rig;
    EXPECT_EQ(rig.exchange({0xB2, 0x01, 0x23, 0x00}), Ack());
    const Bytes data{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(rig.exchange(LineUnit(data)), Ack());
    const Line line = rig.dc().memoryLine(0x123);
    EXPECT_EQ(Bytes(line.begin(), line.end()), data);
}

TEST(SimCommands, LineDataWithAWrongCheckByteIsRefusedAndTheResendAccepted) {
    SimRig rig;
    const Line before = rig.dc().memoryLine(300);
    ASSERT_EQ(rig.exchange({0xB2, 0x01, 0x2C, 0x00}), Ack());
    const Bytes data(16, 0x11);
    Bytes bad = LineUnit(data);
    bad[16] ^= 0x01;
    EXPECT_EQ(rig.exchange(bad), Nak());
    EXPECT_EQ(rig.dc().memoryLine(300), before);
    EXPECT_EQ(rig.exchange(LineUnit(data)), Ack());
    EXPECT_EQ(rig.dc().memoryLine(300)[0], 0x11);
}

TEST(SimCommands, ClockRecordIsCheckedAndKept) {
    SimRig rig;
    EXPECT_EQ(rig.exchange({0x97, 0x00}), Ack());
    const Bytes record{0x09, 0x07, 0x03, 0x30, 0x05, 0x82, 0xE9, 0x00, 0xB3, 0x00};
    EXPECT_EQ(rig.exchange(record), Ack());
    ASSERT_TRUE(rig.dc().lastClockRecord());
    EXPECT_THAT(*rig.dc().lastClockRecord(), ElementsAre(0x09, 0x07, 0x03, 0x30, 0x05, 0x82, 0xE9, 0x00, 0xB3));

    SimRig wrong;
    ASSERT_EQ(wrong.exchange({0x97, 0x00}), Ack());
    EXPECT_EQ(wrong.exchange({0x09, 0x07, 0x03, 0x30, 0x05, 0x82, 0xE9, 0x00, 0xB4, 0x00}), Nak());
    EXPECT_FALSE(wrong.dc().lastClockRecord());
}

TEST(SimCommands, DeepSleepSilencesTheDcUntilTheButtonsWakeIt) {
    SimRig rig;
    EXPECT_EQ(rig.exchange({0xA8, 0x55, 0x00}), Ack());
    EXPECT_EQ(rig.dc().mode(), DcMode::Asleep);
    EXPECT_TRUE(rig.exchange({0x84, 0x00}, 30.0).empty());
    EXPECT_TRUE(rig.exchange({0xBA, 0x00}, 1.0).empty());
    rig.peer.press();
    EXPECT_EQ(rig.dc().mode(), DcMode::PcScreen);
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    // 0x99 leaves the PC screen and keeps answering.
    EXPECT_EQ(rig.exchange({0xA8, 0x99, 0x00}), Ack());
    EXPECT_EQ(rig.dc().mode(), DcMode::Awake);
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
}

TEST(SimCommands, UnknownDeepSleepVariantIsRefused) {
    SimRig rig;
    EXPECT_EQ(rig.exchange({0xA8, 0x12, 0x00}), Nak());
    EXPECT_EQ(rig.dc().mode(), DcMode::Awake);
}

TEST(SimCommands, PcScreenCountdownSendsTheDcToSleep) {
    SimRig rig({.pcScreenSeconds = 120.0});
    rig.exchange({0xA8, 0x55, 0x00});
    rig.peer.press();
    rig.run(119.0);
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);  // the command does not restart the countdown
    rig.run(1.0);
    EXPECT_TRUE(rig.exchange({0x84, 0x00}).empty());
    EXPECT_EQ(rig.dc().mode(), DcMode::Asleep);
    rig.peer.press();
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
}

TEST(SimCommands, WakeAfterWakesTheDcByItself) {
    SimRig rig({.wakeAfter = 3.0});
    rig.exchange({0xA8, 0x55, 0x00}, 0.01);
    EXPECT_TRUE(rig.exchange({0x84, 0x00}, 3.5).empty());  // sent while still asleep
    EXPECT_EQ(rig.exchange({0x84, 0x00}, 0.1).size(), 18u);
    EXPECT_EQ(rig.dc().mode(), DcMode::PcScreen);
}

TEST(SimCommands, MemorySizeClass1024UsesLineNumberPointers) {
    DcConfig config;
    config.memorySize = 1024;
    config.profile = ProfileKind::Full;
    SimRig rig(config);
    const Bytes reply = rig.exchange({0xB4, 0x00, 0x00, 0x00});
    EXPECT_EQ(reply[1 + 72] + 256 * reply[1 + 73], 256);
    EXPECT_EQ(reply[1 + 74] + 256 * reply[1 + 75], 8159);
    EXPECT_EQ(rig.dc().memory().lineCount(), 8192);
}

TEST(SimCommands, ProfileOptionsSetThePointers) {
    const auto memory = [](ProfileKind kind) { return DcMemory(DcConfig{.profile = kind}); };
    const DcMemory empty = memory(ProfileKind::Empty);
    EXPECT_EQ(empty.startLine(), empty.endLine());
    const DcMemory wrapped = memory(ProfileKind::Wrapped);
    EXPECT_LT(wrapped.endLine(), wrapped.startLine());
    const DcMemory full = memory(ProfileKind::Full);
    EXPECT_EQ(full.startLine(), 256);
    EXPECT_EQ(full.endLine(), 4063);
    // The same seed gives the same profile; another seed another one.
    EXPECT_EQ(DcMemory(DcConfig{.seed = 7}).bytes(), DcMemory(DcConfig{.seed = 7}).bytes());
    EXPECT_NE(DcMemory(DcConfig{.seed = 7}).bytes(), DcMemory(DcConfig{.seed = 8}).bytes());
}

}  // namespace
}  // namespace vor::sim::test
