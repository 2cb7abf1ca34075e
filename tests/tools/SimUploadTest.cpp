// Blocks, closing words and the staging rule that tells profile blocks from code.

#include <gmock/gmock.h>

#include "tests/tools/SimTestRig.h"

namespace vor::sim::test {
namespace {

// Announces and sends one block; both answers must be acknowledgements.
void SendBlock(SimRig& rig, std::uint8_t code, int address, std::uint8_t fill, std::uint8_t check) {
    ASSERT_EQ(
        rig.exchange({code, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF), 0x00}),
        Ack());
    ASSERT_EQ(rig.exchange(BlockUnit(fill, check)), Ack());
}

Bytes Word(std::uint8_t code, int value) {
    return {code, static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF), 0x00};
}

Bytes LineBytes(const SimulatedDc& dc, int line) {
    const Line l = dc.memoryLine(line);
    return {l.begin(), l.end()};
}

TEST(SimUpload, ProfileBlocksFollowedByALineWriteLandAtAddressPlus256) {
    SimRig rig;
    SendBlock(rig, 0xB5, 0x0000, 0x10, 0x77);
    SendBlock(rig, 0xB5, 0x0C08, 0x20, 0x66);
    const Bytes lineAtBlockStart = LineBytes(rig.dc(), 256);
    EXPECT_NE(lineAtBlockStart[0], 0x10);  // staged, not yet in memory

    EXPECT_EQ(rig.exchange({0xB2, 0x00, 0x04, 0x00}), Ack());
    EXPECT_EQ(rig.dc().memoryLine(256)[0], 0x10);
    EXPECT_EQ(rig.dc().memoryLine(263)[15], static_cast<std::uint8_t>(0x10 + 127));
    EXPECT_EQ(rig.dc().memoryLine(0x0C08 + 256)[0], 0x20);
    EXPECT_TRUE(rig.dc().sections().empty());
    EXPECT_EQ(rig.dc().version(), "1E");
}

TEST(SimUpload, ProfileBlocksFollowedByAMemoryReadAreCommittedBeforeTheRead) {
    SimRig rig;
    SendBlock(rig, 0xB5, 0x0008, 0x40, 0x00);
    const Bytes reply = rig.exchange({0xB4, 0x01, 0x08, 0x00});  // line 264 = address 8 + 256
    ASSERT_EQ(reply.size(), 129u);
    EXPECT_EQ(reply[1], 0x40);
    EXPECT_EQ(reply[128], static_cast<std::uint8_t>(0x40 + 127));
}

TEST(SimUpload, CorrectSectionOneChecksumRestartsIntoTheNewVersion) {
    SimRig rig;
    const Bytes serialBefore = Bytes(rig.dc().memory().bytes().begin() + 10, rig.dc().memory().bytes().begin() + 13);
    SendBlock(rig, 0xB5, 0x0000, 1, 0xFF);
    SendBlock(rig, 0xB5, 0x0080, 2, 0xFF);
    SendBlock(rig, 0xB5, 0x0100, 3, 0x02);
    EXPECT_EQ(rig.exchange(Word(0xB6, 0x0200)), Ack());
    const double acknowledgedAt = rig.chunks.at(0).at;
    EXPECT_EQ(rig.dc().mode(), DcMode::Restarting);

    // Silent during the default 5 s restart, then the new identity.
    EXPECT_TRUE(rig.exchange({0x84, 0x00}, 4.5).empty());
    rig.run(acknowledgedAt + 5.0 - rig.pump.now());
    const Bytes identity = rig.exchange({0x84, 0x00});
    ASSERT_EQ(identity.size(), 18u);
    EXPECT_EQ(std::string(identity.begin() + 1, identity.begin() + 17), "VOR FW1H 0012345");

    ASSERT_EQ(rig.dc().sections().size(), 1u);
    const SectionRecord& s = rig.dc().sections()[0];
    EXPECT_EQ(s.section, 1);
    EXPECT_EQ(s.blockCount, 3);
    EXPECT_EQ(s.checksumComputed, 0x0200);
    EXPECT_TRUE(s.accepted);
    EXPECT_EQ(rig.dc().firmwareBlocks(1).size(), 3u);
    EXPECT_EQ(rig.dc().firmwareBlocks(1).at(0x0080)[0], 2);

    // The update erased profile area and header line, but not the serial number.
    const auto& mem = rig.dc().memory().bytes();
    EXPECT_EQ(Bytes(mem.begin() + 10, mem.begin() + 13), serialBefore);
    EXPECT_EQ(LineBytes(rig.dc(), 4), Bytes(16, 0xFF));
    for (int line : {256, 1000, 4063}) EXPECT_EQ(LineBytes(rig.dc(), line), Bytes(16, 0xFF)) << line;
    EXPECT_NE(LineBytes(rig.dc(), 4064), Bytes(16, 0xFF));
}

TEST(SimUpload, WrongChecksumIsRefusedEveryTimeAndTheOldFirmwareStays) {
    SimRig rig;
    const auto memoryBefore = rig.dc().memory().bytes();
    SendBlock(rig, 0xB5, 0x0000, 1, 0x10);
    for (int attempt = 0; attempt < 5; ++attempt) EXPECT_EQ(rig.exchange(Word(0xB6, 0x0011)), Nak());
    EXPECT_EQ(rig.dc().version(), "1E");
    EXPECT_EQ(rig.dc().memory().bytes(), memoryBefore);
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);  // no restart
    ASSERT_EQ(rig.dc().sections().size(), 5u);
    EXPECT_FALSE(rig.dc().sections()[4].accepted);
    EXPECT_EQ(rig.dc().sections()[4].checksumComputed, 0x0010);
}

TEST(SimUpload, AnyOtherCommandDropsStagedBlocks) {
    SimRig rig;
    const Bytes before = LineBytes(rig.dc(), 256);
    SendBlock(rig, 0xB5, 0x0000, 1, 0x10);
    EXPECT_EQ(rig.exchange({0x84, 0x00}).size(), 18u);
    // Neither a closing word nor a line write finds the dropped block any more.
    EXPECT_EQ(rig.exchange(Word(0xB6, 0x0010)), Nak());
    EXPECT_EQ(rig.exchange({0xB2, 0x00, 0x04, 0x00}), Ack());
    EXPECT_EQ(LineBytes(rig.dc(), 256), before);
}

TEST(SimUpload, BlockSentAgainAfterALostAcknowledgementCountsOnce) {
    SimRig rig;
    SendBlock(rig, 0xB5, 0x0000, 1, 0x30);
    SendBlock(rig, 0xB5, 0x0000, 1, 0x30);
    EXPECT_EQ(rig.exchange(Word(0xB6, 0x0030)), Ack());
}

TEST(SimUpload, SectionTwoTakesItsArgumentAndRestartsIntoTheNewRevision) {
    DcConfig config;
    config.restartSeconds = 2.0;
    SimRig rig(config);
    SendBlock(rig, 0xB7, 0x4000, 5, 0x81);
    SendBlock(rig, 0xB7, 0x4080, 6, 0x82);
    EXPECT_EQ(rig.exchange(Word(0xB8, 0x1234)), Ack());
    EXPECT_EQ(rig.exchange(Word(0xB9, 0x0103)), Ack());
    ASSERT_EQ(rig.dc().sections().size(), 1u);
    EXPECT_EQ(rig.dc().sections()[0].section, 2);
    EXPECT_EQ(rig.dc().sections()[0].argument, std::optional<std::uint16_t>(0x1234));
    EXPECT_TRUE(rig.exchange({0xBA, 0x00}, 1.0).empty());
    rig.run(1.5);
    EXPECT_EQ(rig.exchange({0xBA, 0x00}), (Bytes{0xBA, 3}));
    EXPECT_EQ(rig.dc().version(), "1E");  // section 2 carries the revision only
}

TEST(SimUpload, SectionOneBlocksDoNotCountForSectionTwo) {
    SimRig rig;
    SendBlock(rig, 0xB5, 0x0000, 1, 0x10);
    SendBlock(rig, 0xB7, 0x4000, 1, 0x20);
    EXPECT_EQ(rig.exchange(Word(0xB9, 0x0030)), Nak());
    EXPECT_EQ(rig.exchange(Word(0xB9, 0x0020)), Ack());
}

TEST(SimUpload, ProfileIsOnlyThereAfterAnUpdateWhenWrittenBack) {
    SimRig rig({.restartSeconds = 1.0});
    const int start = rig.dc().memory().startLine();
    const Bytes profileLine = LineBytes(rig.dc(), start);
    const Bytes header = LineBytes(rig.dc(), 4);
    SendBlock(rig, 0xB5, 0x0000, 1, 0x01);
    ASSERT_EQ(rig.exchange(Word(0xB6, 0x0001)), Ack());
    rig.run(1.5);
    EXPECT_EQ(LineBytes(rig.dc(), start), Bytes(16, 0xFF));

    // The write-back: the block containing the profile's first line, then the header.
    const int firstLine = start / 8 * 8;
    const auto block = DcMemory(DcConfig{}).block(firstLine);
    Bytes unit(block.begin(), block.end());
    unit.push_back(0x00);  // the DC does not check a block's check byte
    unit.push_back(0x00);
    ASSERT_EQ(rig.exchange(Word(0xB5, firstLine - 256)), Ack());
    ASSERT_EQ(rig.exchange(unit), Ack());
    ASSERT_EQ(rig.exchange({0xB2, 0x00, 0x04, 0x00}), Ack());
    ASSERT_EQ(rig.exchange(LineUnit(header)), Ack());
    EXPECT_EQ(LineBytes(rig.dc(), 4), header);
    EXPECT_EQ(LineBytes(rig.dc(), start), profileLine);
}

}  // namespace
}  // namespace vor::sim::test
