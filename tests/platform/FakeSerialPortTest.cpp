#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/FakeSerialPort.h"

using namespace vor;
using Bytes = std::vector<std::uint8_t>;

struct FakeSerialPortTest : ::testing::Test {
    FakeEventPump pump;
    FakeSerialPort port{pump};
    std::vector<Bytes> chunks;
    int failures = 0;
    void SetUp() override {
        port.setHandlers([this](std::span<const std::uint8_t> c) { chunks.emplace_back(c.begin(), c.end()); },
                         [this](PortFailure, const std::string&) { ++failures; });
    }
};

TEST_F(FakeSerialPortTest, RecordsWritesAndDeliversChunksInOrder) {
    port.setPeer([this](std::span<const std::uint8_t>) { port.deliverChunks({1, 2, 3, 4, 5}, {2, 1}, 0.01); });
    const Bytes cmd{0x84, 0x00};
    port.write(cmd);
    pump.yieldUntil(1.0);
    pump.yieldUntil(1.0);
    pump.yieldUntil(1.0);
    ASSERT_EQ(port.writes().size(), 1u);
    EXPECT_EQ(port.writes()[0].bytes, cmd);
    EXPECT_EQ(chunks, (std::vector<Bytes>{{1, 2}, {3}, {4, 5}}));
}

TEST_F(FakeSerialPortTest, DiscardDropsBytesThatHaveArrived) {
    port.deliver({9}, 0.1);
    port.deliver({8}, 0.5);
    pump.sleepFor(0.2);  // the first chunk arrives while the program does not listen
    port.discardBuffers();
    pump.yieldUntil(1.0);
    pump.yieldUntil(1.0);
    EXPECT_EQ(chunks, (std::vector<Bytes>{{8}}));
    EXPECT_EQ(port.discardCount(), 1);
}

TEST_F(FakeSerialPortTest, HangUpReportsAndSilences) {
    port.hangUp(0.1);
    port.deliver({1}, 0.2);
    pump.yieldUntil(1.0);
    pump.yieldUntil(1.0);
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(chunks.empty());
    const Bytes b{1};
    port.write(b);
    EXPECT_TRUE(port.writes().empty());
}

TEST_F(FakeSerialPortTest, FailNextWrites) {
    port.failNextWrites(1);
    const Bytes b{1};
    port.write(b);
    port.write(b);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(port.writes().size(), 1u);
}
