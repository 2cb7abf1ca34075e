// Memory read and line write: wire bytes, chunked replies, rejections, silence,
// hang-up and refused line numbers.

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

Bytes BlockReply() {
    Bytes reply(129);
    std::iota(reply.begin(), reply.end(), std::uint8_t{0x40});
    reply[0] = AckByte;
    return reply;
}

TEST(ReadMemoryBlock, RequestsTheLineHighByteFirstAndReturnsTheBlock) {
    LinkTestRig rig;
    const Bytes reply = BlockReply();
    rig.answerAlways(reply);
    const auto block = rig.link.ReadMemoryBlock(0x123);
    EXPECT_EQ(rig.written(0), (Bytes{0xB4, 0x01, 0x23, 0x00}));
    ASSERT_TRUE(block);
    EXPECT_EQ((Bytes{block->begin(), block->end()}), (Bytes{reply.begin() + 1, reply.end()}));
    EXPECT_FALSE(rig.state.CommError);
}

TEST(ReadMemoryBlock, ReplySplitIntoChunksOfEverySizeGivesTheSameBlock) {
    const Bytes reply = BlockReply();
    for (std::size_t size = 1; size <= reply.size(); ++size) {
        SCOPED_TRACE(size);
        LinkTestRig rig;
        std::vector<std::size_t> sizes(reply.size() / size + 1, size);
        rig.port.setPeer([&](std::span<const std::uint8_t>) { rig.port.deliverChunks(reply, sizes, 0.001, 0.0001); });
        const auto block = rig.link.ReadMemoryBlock(256);
        EXPECT_EQ(rig.sends(), 1);
        EXPECT_FALSE(rig.state.CommError);
        ASSERT_TRUE(block);
        EXPECT_EQ((Bytes{block->begin(), block->end()}), (Bytes{reply.begin() + 1, reply.end()}));
    }
}

TEST(ReadMemoryBlock, SilentDcGetsFiveSendsAndFailsAfterAbout0Point8Seconds) {
    LinkTestRig rig;
    EXPECT_FALSE(rig.link.ReadMemoryBlock(0));
    EXPECT_EQ(rig.sends(), 5);
    EXPECT_NEAR(rig.pump.now(), 0.8, 0.02);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(ReadMemoryBlock, RejectionIsRepeatedAtOnceAndCountsAsATry) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{NakByte} : BlockReply(); });
    EXPECT_TRUE(rig.link.ReadMemoryBlock(8));
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_LT(rig.sendTime(1), 0.1);
    EXPECT_FALSE(rig.state.CommError);
}

TEST(ReadMemoryBlock, HangUpDuringTheWaitEndsWithCommErrorAtOnce) {
    LinkTestRig rig;
    rig.port.hangUp(0.05);
    EXPECT_FALSE(rig.link.ReadMemoryBlock(8));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_NEAR(rig.pump.now(), 0.05, 0.01);
    EXPECT_EQ(rig.sends(), 1);
    // LinkError stays: the next read, after its quiet wait to 0.5 s, gives up after one 0.2 s pass.
    EXPECT_FALSE(rig.link.ReadMemoryBlock(8));
    EXPECT_NEAR(rig.pump.now(), 0.7, 0.01);
}

TEST(ReadMemoryBlock, CloseDuringTheWaitEndsWithinOnePass) {
    LinkTestRig rig;
    rig.pump.schedule(0.1, [&] { rig.link.Abort(); });
    EXPECT_FALSE(rig.link.ReadMemoryBlock(8));
    EXPECT_NEAR(rig.pump.now(), 0.1, 0.005);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(ReadMemoryBlock, ErrorInsideThePortSetsCommErrorSoTheOldBufferIsNotTakenForTheBlock) {
    LinkTestRig rig;
    rig.port.setPeer([](std::span<const std::uint8_t>) { throw std::runtime_error("driver fault"); });
    EXPECT_FALSE(rig.link.ReadMemoryBlock(8));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.abortProbe(), std::make_pair(1, 1));
}

TEST(ReadMemoryBlock, LineOutsideSignedSixteenBitsIsRefusedBeforeSending) {
    LinkTestRig rig;
    EXPECT_FALSE(rig.link.ReadMemoryBlock(40000));
    EXPECT_FALSE(rig.link.ReadMemoryBlock(-8));
    EXPECT_EQ(rig.sends(), 0);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(RequestLineWrite, SendsB2AndTheLineAndAcceptsTheAcknowledgement) {
    LinkTestRig rig;
    rig.answerAlways({AckByte});
    EXPECT_TRUE(rig.link.RequestLineWrite(4));
    EXPECT_EQ(rig.written(0), (Bytes{0xB2, 0x00, 0x04, 0x00}));
}

TEST(RequestLineWrite, RejectionEndsWithFalseWithoutARepeat) {
    LinkTestRig rig;
    rig.answerAlways({NakByte});
    EXPECT_FALSE(rig.link.RequestLineWrite(4));
    EXPECT_EQ(rig.sends(), 1);
}

TEST(RequestLineWrite, SilentDcGetsTwelveSendsWithoutDiscardsBetween) {
    LinkTestRig rig;
    EXPECT_FALSE(rig.link.RequestLineWrite(0x0C08));
    EXPECT_EQ(rig.sends(), 12);
    EXPECT_NEAR(rig.pump.now(), 1.1, 0.03);
    EXPECT_EQ(rig.port.discardCount(), 1);
}

class WriteMemoryLineTest : public ::testing::Test {
protected:
    WriteMemoryLineTest() {
        std::iota(line.begin(), line.begin() + 16, std::uint8_t{1});
        line[16] = 136;  // 1 + 2 + ... + 16
    }
    LinkTestRig rig;
    MemoryLine line{};
};

TEST_F(WriteMemoryLineTest, SendsTheRequestThenSixteenBytesAndTheirSum) {
    rig.answerAlways({AckByte});
    rig.link.WriteMemoryLine(4, line);
    ASSERT_EQ(rig.sends(), 2);
    Bytes data{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 136, 0};
    EXPECT_EQ(rig.written(1), data);
    EXPECT_FALSE(rig.state.CommError);
}

TEST_F(WriteMemoryLineTest, RefusedRequestSetsCommErrorAndSendsNoData) {
    rig.answerAlways({NakByte});
    rig.link.WriteMemoryLine(4, line);
    EXPECT_EQ(rig.sends(), 1);
    EXPECT_TRUE(rig.state.CommError);
}

TEST_F(WriteMemoryLineTest, RefusedDataIsSentAgainAndCountsAsATry) {
    rig.answer([](int i, const Bytes&) { return Bytes{i == 1 ? NakByte : AckByte}; });
    rig.link.WriteMemoryLine(4, line);
    EXPECT_EQ(rig.sends(), 3);
    EXPECT_EQ(rig.written(2), rig.written(1));
    EXPECT_FALSE(rig.state.CommError);
}

TEST_F(WriteMemoryLineTest, SilentDataGetsTwelveSendsAndSetsCommError) {
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{AckByte} : Bytes{}; });
    rig.link.WriteMemoryLine(4, line);
    EXPECT_EQ(rig.sends(), 13);
    EXPECT_NEAR(rig.pump.now() - rig.sendTime(1), 2.2, 0.03);
    EXPECT_TRUE(rig.state.CommError);
}

}  // namespace
}  // namespace vor::test
