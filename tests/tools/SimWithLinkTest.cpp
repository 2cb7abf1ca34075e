// The program's own link commands against the simulated DC on the fake clock: the
// simulator must answer the real client, and its faults must drive the client's
// resends the way a DC on a bad line would.

#include <gmock/gmock.h>

#include "link/CommModule.h"
#include "tests/tools/SimTestRig.h"

namespace vor::sim::test {
namespace {

// The link takes over the port's handlers: what the DC sent is in peer.sent().
struct LinkRig : SimRig {
    explicit LinkRig(DcConfig config = {}) : SimRig(std::move(config)), comm(port, pump, state) {
        comm.SizeReplyBuffers(512);
    }
    static CodeBlock Block(std::uint8_t fill, std::uint8_t check) {
        CodeBlock block{};
        for (std::size_t i = 0; i < 128; ++i) block[i] = static_cast<std::uint8_t>(fill + i);
        block[128] = check;
        return block;
    }
    WizardState state;
    CommModule comm;
};

TEST(SimWithLink, IdentityRevisionAndDeepSleep) {
    LinkRig rig;
    ASSERT_TRUE(rig.comm.ReadIdentity());
    EXPECT_EQ(rig.comm.IdentityString(), "VOR FW1E 0012345");
    ASSERT_TRUE(rig.comm.ParseIdentity("VOR"));
    EXPECT_EQ(rig.comm.FirmwareVersion(), "1E");
    EXPECT_EQ(rig.comm.ReadRevision(), 1);
    rig.state.DeepSleepMode = true;
    EXPECT_TRUE(rig.comm.EnterDeepSleep());
    EXPECT_EQ(rig.dc().mode(), DcMode::Asleep);
}

TEST(SimWithLink, CodeSectionUploadIsAcceptedAndTheDcRestarts) {
    LinkRig rig({.restartSeconds = 5.0});
    unsigned sum = 0;
    for (int block = 0; block < 4; ++block) {
        const auto check = static_cast<std::uint8_t>(0xF0 + block);
        rig.comm.WriteCodeBlock(block * 0x80, 0xB5, LinkRig::Block(static_cast<std::uint8_t>(block), check));
        ASSERT_FALSE(rig.state.CommError) << block;
        sum += check;
    }
    rig.comm.SendCodeWord(0xB6, static_cast<long>(sum & 0xFFFF));
    ASSERT_FALSE(rig.state.CommError);
    ASSERT_EQ(rig.dc().sections().size(), 1u);
    EXPECT_TRUE(rig.dc().sections()[0].accepted);
    EXPECT_EQ(rig.dc().sections()[0].blockCount, 4);

    // The restart: ReadIdentity resends every 2 s until the DC is back.
    const double closedAt = rig.pump.now();
    ASSERT_TRUE(rig.comm.ReadIdentity());
    EXPECT_GE(rig.pump.now() - closedAt, 5.0);
    EXPECT_EQ(rig.comm.IdentityString(), "VOR FW1H 0012345");
}

TEST(SimWithLink, WrongClosingChecksumFailsAfterFiveRefusedSends) {
    LinkRig rig;
    rig.comm.WriteCodeBlock(0, 0xB5, LinkRig::Block(0, 0x10));
    rig.comm.SendCodeWord(0xB6, 0x0011);
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::Close1), 5);
    EXPECT_EQ(rig.dc().version(), "1E");
}

TEST(SimWithLink, MemoryReadLineWriteAndClock) {
    LinkRig rig;
    const auto read = rig.comm.ReadMemoryBlock(0);
    ASSERT_TRUE(read);
    const auto block0 = rig.dc().memory().block(0);
    EXPECT_TRUE(std::equal(block0.begin(), block0.end(), read->begin()));

    MemoryLine line{};
    unsigned sum = 0;
    for (std::size_t i = 0; i < 16; ++i) sum += line[i] = static_cast<std::uint8_t>(0xC0 + i);
    line[16] = static_cast<std::uint8_t>(sum & 0xFF);
    rig.comm.WriteMemoryLine(4, line);
    ASSERT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.dc().memoryLine(4)[15], 0xCF);

    rig.comm.SetClock("03/07/09", "14:05:30", 233);
    ASSERT_FALSE(rig.state.CommError);
    EXPECT_THAT(*rig.dc().lastClockRecord(),
                ::testing::ElementsAre(0x09, 0x07, 0x03, 0x30, 0x05, 0x82, 0xE9, 0x00, 0xB3));
}

TEST(SimWithLink, LostLineAndClockAcknowledgementsCostOneResendOfTheDataOnly) {
    LinkRig rig({.faults = {FaultRule{.action = FaultAction::LoseReply, .kind = UnitKind::LineData, .nth = 1},
                            FaultRule{.action = FaultAction::LoseReply, .kind = UnitKind::ClockRecord, .nth = 1}}});
    MemoryLine line{};
    unsigned sum = 0;
    for (std::size_t i = 0; i < 16; ++i) sum += line[i] = static_cast<std::uint8_t>(0x21 * i);
    line[16] = static_cast<std::uint8_t>(sum & 0xFF);
    rig.comm.WriteMemoryLine(4, line);
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::LineRequest), 1);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::LineData), 2);
    EXPECT_EQ(rig.dc().memoryLine(4)[15], 0x21 * 15 & 0xFF);

    rig.comm.SetClock("03/07/09", "14:05:30", 233);
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::ClockOpen), 1);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::ClockRecord), 2);
}

TEST(SimWithLink, LostBlockAcknowledgementIsRepairedByTheRepeatedAttempt) {
    LinkRig rig({.faults = {FaultRule{.action = FaultAction::LoseReply, .kind = UnitKind::BlockData1, .nth = 1}}});
    rig.comm.WriteCodeBlock(0x0100, 0xB5, LinkRig::Block(7, 0x44));
    ASSERT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::Announce1), 2);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::BlockData1), 2);
    rig.comm.SendCodeWord(0xB6, 0x0044);  // the block counts once
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_TRUE(rig.dc().sections().at(0).accepted);
}

TEST(SimWithLink, SplitRepliesStillComplete) {
    LinkRig rig({.chunkSize = 3});
    ASSERT_TRUE(rig.comm.ReadIdentity());
    EXPECT_EQ(rig.comm.IdentityString(), "VOR FW1E 0012345");
    EXPECT_TRUE(rig.comm.ReadMemoryBlock(8));
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.peer.sent().size(), 6u + 43u);  // 18 bytes in 6 chunks, 129 in 43
}

TEST(SimWithLink, RejectedMemoryReadIsRepeatedAtOnce) {
    LinkRig rig({.faults = {FaultRule{.action = FaultAction::Reject, .kind = UnitKind::MemoryRead, .nth = 1}}});
    const double start = rig.pump.now();
    EXPECT_TRUE(rig.comm.ReadMemoryBlock(0));
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.dc().exchanges(UnitKind::MemoryRead), 2);
    EXPECT_LT(rig.pump.now() - start, 0.2);  // no time-out was needed
}

TEST(SimWithLink, PulledCableEndsTheWaitingCommand) {
    LinkRig rig({.faults = {FaultRule{.action = FaultAction::PullCable, .anyKind = true, .nth = 1}}});
    EXPECT_FALSE(rig.comm.ReadIdentity());
    EXPECT_LT(rig.pump.now(), 1.0);  // aborted: not 22 s of resends
}

}  // namespace
}  // namespace vor::sim::test
