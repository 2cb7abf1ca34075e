// Block announcement, block data and closing words: wire bytes, attempts,
// give-up times, rejections, late acknowledgements and refused values.

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

Bytes Framed(Bytes bytes) {
    bytes.push_back(0x00);
    return bytes;
}

TEST(SendBlockAddress, AnnouncesHighByteFirst) {
    LinkTestRig rig;
    rig.answerAlways({AckByte});
    EXPECT_TRUE(rig.link.SendBlockAddress(0x1234, Cmd::Block1));
    EXPECT_TRUE(rig.link.SendBlockAddress(0, Cmd::Block1));
    EXPECT_TRUE(rig.link.SendBlockAddress(0x7FFF, Cmd::Block2));
    EXPECT_EQ(rig.written(0), Framed({0xB5, 0x12, 0x34}));
    EXPECT_EQ(rig.written(1), Framed({0xB5, 0x00, 0x00}));
    EXPECT_EQ(rig.written(2), Framed({0xB7, 0x7F, 0xFF}));
    EXPECT_FALSE(rig.state.CommError);
}

TEST(SendBlockAddress, SilentDcGets22SendsAndFailsAfterAbout4Point2Seconds) {
    LinkTestRig rig;
    EXPECT_FALSE(rig.link.SendBlockAddress(0x80, Cmd::Block1));
    EXPECT_EQ(rig.sends(), 22);
    EXPECT_NEAR(rig.pump.now(), 4.2, 0.05);
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.port.discardCount(), 22);
}

TEST(SendBlockAddress, RejectionIsAnnouncedAgainWithoutWaiting) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return Bytes{i == 0 ? NakByte : AckByte}; });
    EXPECT_TRUE(rig.link.SendBlockAddress(0x80, Cmd::Block1));
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_LT(rig.sendTime(1), 0.1);
}

TEST(SendBlockAddress, AddressOutsideSignedSixteenBitsIsRefusedBeforeSending) {
    for (int address : {32768, 65535, -1}) {
        LinkTestRig rig;
        EXPECT_FALSE(rig.link.SendBlockAddress(address, Cmd::Block1));
        EXPECT_EQ(rig.sends(), 0);
        EXPECT_TRUE(rig.state.CommError);
    }
}

TEST(SendBlockAddress, ErrorInsideThePortEndsTheCommandWithLinkErrorAndLinkAbort) {
    LinkTestRig rig;
    rig.port.setPeer([](std::span<const std::uint8_t>) { throw std::runtime_error("driver fault"); });
    EXPECT_FALSE(rig.link.SendBlockAddress(0x80, Cmd::Block1));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.abortProbe(), std::make_pair(1, 1));
}

TEST(PortErrorInsideACommand, FailsBlockAndClosingWordThroughCommErrorSoNoCallerTakesThemForAccepted) {
    const auto throwingPort = [](LinkTestRig& rig) {
        rig.port.setPeer([](std::span<const std::uint8_t>) { throw std::runtime_error("driver fault"); });
    };
    LinkTestRig block;
    throwingPort(block);
    block.link.WriteCodeBlock(0x80, Cmd::Block1, CodeBlock{});
    EXPECT_TRUE(block.state.CommError);
    EXPECT_EQ(block.abortProbe(), std::make_pair(1, 1));

    LinkTestRig word;
    throwingPort(word);
    word.link.SendCodeWord(Cmd::Close1, 0x0102);
    EXPECT_TRUE(word.state.CommError);
    EXPECT_EQ(word.abortProbe(), std::make_pair(1, 1));
}

class WriteCodeBlockTest : public ::testing::Test {
protected:
    WriteCodeBlockTest() { std::iota(block.begin(), block.end(), std::uint8_t{0}); }
    LinkTestRig rig;
    CodeBlock block{};
};

TEST_F(WriteCodeBlockTest, AcknowledgedBlockTakesOneAnnouncementAndOneTransferOf129Bytes) {
    rig.answerAlways({AckByte});
    rig.link.WriteCodeBlock(0x4000, Cmd::Block2, block);
    ASSERT_EQ(rig.sends(), 2);  // the data goes out because the announcement's code stays pending
    EXPECT_EQ(rig.written(0), Framed({0xB7, 0x40, 0x00}));
    EXPECT_EQ(rig.written(1), Framed(Bytes(block.begin(), block.end())));
    EXPECT_FALSE(rig.state.CommError);
}

TEST_F(WriteCodeBlockTest, BlockRejectedFourTimesFailsAfterFourAnnouncementsAndFourTransfers) {
    rig.answer([](int, const Bytes& w) { return Bytes{w.size() == 4 ? AckByte : NakByte}; });
    rig.link.WriteCodeBlock(0x80, Cmd::Block1, block);
    ASSERT_EQ(rig.sends(), 8);
    for (int i = 0; i < 8; i += 2) {
        EXPECT_EQ(rig.written(i).size(), 4u);
        EXPECT_EQ(rig.written(i + 1).size(), 130u);
    }
    EXPECT_TRUE(rig.state.CommError);
}

TEST_F(WriteCodeBlockTest, SilentDataRepeatsTheWholeAttemptAfterOneSecond) {
    // Announcements are acknowledged; the third block transfer is too.
    int transfers = 0;
    rig.answer([&](int, const Bytes& w) {
        if (w.size() == 4) return Bytes{AckByte};
        return ++transfers == 3 ? Bytes{AckByte} : Bytes{};
    });
    rig.link.WriteCodeBlock(0x80, Cmd::Block1, block);
    EXPECT_EQ(rig.sends(), 6);
    EXPECT_NEAR(rig.sendTime(3) - rig.sendTime(1), 1.0, 0.01);
    EXPECT_FALSE(rig.state.CommError);
}

TEST_F(WriteCodeBlockTest, SilentDataFailsAfterFourAttemptsAboutFourSecondsIn) {
    rig.answer([](int, const Bytes& w) { return w.size() == 4 ? Bytes{AckByte} : Bytes{}; });
    rig.link.WriteCodeBlock(0x80, Cmd::Block1, block);
    EXPECT_EQ(rig.sends(), 8);
    EXPECT_NEAR(rig.pump.now(), 4.0, 0.05);
    EXPECT_TRUE(rig.state.CommError);
}

TEST_F(WriteCodeBlockTest, SilentAnnouncementEndsTheBlockAtOnce) {
    rig.link.WriteCodeBlock(0x80, Cmd::Block1, block);
    EXPECT_EQ(rig.sends(), 22);
    EXPECT_TRUE(rig.state.CommError);
}

TEST_F(WriteCodeBlockTest, CloseDuringTheDataWaitEndsTheBlockWithinOnePass) {
    rig.answer([](int, const Bytes& w) { return w.size() == 4 ? Bytes{AckByte} : Bytes{}; });
    rig.pump.schedule(0.5, [&] { rig.link.Abort(); });
    rig.link.WriteCodeBlock(0x80, Cmd::Block1, block);
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_NEAR(rig.pump.now(), 0.5, 0.01);
    EXPECT_TRUE(rig.state.CommError);  // the block never got its acknowledgement
}

TEST(SendCodeWord, SendsTheValueHighByteFirst) {
    LinkTestRig rig;
    rig.answerAlways({AckByte});
    rig.link.SendCodeWord(Cmd::Close1, 0x00FF);
    rig.link.SendCodeWord(Cmd::Close2, 0xABCD);
    EXPECT_EQ(rig.written(0), Framed({0xB6, 0x00, 0xFF}));
    EXPECT_EQ(rig.written(1), Framed({0xB9, 0xAB, 0xCD}));
    EXPECT_FALSE(rig.state.CommError);
}

TEST(SendCodeWord, SilentDcGetsFiveSendsAndFailsAfterAboutFourSeconds) {
    LinkTestRig rig;
    rig.link.SendCodeWord(Cmd::Close1, 1);
    EXPECT_EQ(rig.sends(), 5);
    EXPECT_NEAR(rig.pump.now(), 4.0, 0.05);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(SendCodeWord, AcknowledgementSeenAfterTheTimeOutIsFollowedByAResendThatMustBeAcknowledged) {
    LinkTestRig rig;
    rig.pump.schedule(0.5, [&] { rig.pump.sleepFor(1.0); });
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{AckByte} : Bytes{}; }, 1.5);
    rig.link.SendCodeWord(Cmd::Close1, 0x10);
    EXPECT_GE(rig.sends(), 2);
    EXPECT_NEAR(rig.sendTime(1), 1.5, 0.01);
    EXPECT_TRUE(rig.state.CommError);  // the resends stayed unanswered

    LinkTestRig ok;
    ok.pump.schedule(0.5, [&] { ok.pump.sleepFor(1.0); });
    int writes = 0;
    ok.port.setPeer([&](std::span<const std::uint8_t>) { ok.port.deliver({AckByte}, writes++ == 0 ? 1.5 : 0.01); });
    ok.link.SendCodeWord(Cmd::Close1, 0x10);
    EXPECT_EQ(ok.sends(), 2);
    EXPECT_FALSE(ok.state.CommError);
}

TEST(SendCodeWord, ValueAbove65535OrNegativeIsRefusedBeforeSending) {
    for (long value : {65536L, -1L, 100000L}) {
        LinkTestRig rig;
        rig.link.SendCodeWord(Cmd::Close1, value);
        rig.link.SendCodeWordB8(value);
        EXPECT_EQ(rig.sends(), 0);
        EXPECT_TRUE(rig.state.CommError);
    }
}

TEST(SendCodeWordB8, SendsB8AndGivesUpAfterFiveSends) {
    LinkTestRig rig;
    rig.link.SendCodeWordB8(0x1234);
    EXPECT_EQ(rig.written(0), Framed({0xB8, 0x12, 0x34}));
    EXPECT_EQ(rig.sends(), 5);
    EXPECT_NEAR(rig.pump.now(), 4.0, 0.05);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(SendCodeWordB8, RejectionIsResentAndCountsAsATry) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return Bytes{i < 2 ? NakByte : AckByte}; });
    rig.link.SendCodeWordB8(0x1234);
    EXPECT_EQ(rig.sends(), 3);
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_LT(rig.pump.now(), 0.1);
}

TEST(SendCodeWordB8, HangUpEndsByTheTryLimitInsteadOfWaitingForEver) {
    LinkTestRig rig;
    rig.port.hangUp(0.2);
    rig.link.SendCodeWordB8(0x1234);
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_NEAR(rig.pump.now(), 4.0, 0.05);
    EXPECT_LT(rig.pump.yieldCount(), 20u);
}

}  // namespace
}  // namespace vor::test
