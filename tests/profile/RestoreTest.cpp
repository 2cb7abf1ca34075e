#include <gtest/gtest.h>

#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;

namespace {

class RestoreTest : public ProfileTest {
protected:
    Bytes savedMemory;

    // Backs up lines start..end from a filled DC, then wipes the profile area and the
    // header as a code update would.
    void BackUpThenWipe(int start, int end) {
        SetProfileLines(start, end);
        dc->fillLines(256, 4063, 11);
        keeper->BackupProfile();
        ASSERT_FALSE(state.CommError);
        ASSERT_TRUE(std::filesystem::exists(BackupFile()));
        savedMemory = dc->memory;
        std::fill(dc->memory.begin() + 64, dc->memory.begin() + 80, 0xFF);
        std::fill(dc->memory.begin() + 256 * 16, dc->memory.end(), 0xFF);
        port.clearRecord();
        wizard.rows.clear();
        wizard.statuses.clear();
        dc->reads.clear();
    }
    void ExpectLinesRestored(int firstLine, int lastLine) {
        for (int line = firstLine; line <= lastLine; ++line)
            ASSERT_EQ(dc->line(line), Bytes(savedMemory.begin() + line * 16, savedMemory.begin() + line * 16 + 16))
                << "line " << line;
    }
    std::size_t IndexOfWrite(const Bytes& bytes, std::size_t from = 0) const {
        for (std::size_t i = from; i < port.writes().size(); ++i)
            if (port.writes()[i].bytes == bytes) return i;
        return port.writes().size();
    }
};

}  // namespace

TEST_F(RestoreTest, WritesAllBlocksThenTheHeaderAtLine4AndDeletesTheVerifiedBackup) {
    BackUpThenWipe(300, 340);  // blocks 296 .. 336
    state.ProfileIntact = false;
    keeper->RestoreProfile();

    EXPECT_EQ(dc->blockWrites, (std::vector<int>{40, 48, 56, 64, 72, 80}));
    EXPECT_EQ(dc->lineWrites, (std::vector<int>{4}));
    ExpectLinesRestored(296, 343);
    ExpectLinesRestored(4, 4);

    // The first block: announcement B5 00 28, then its 128 bytes and check byte.
    const auto& w = port.writes();
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w[0].bytes, (Bytes{0xB5, 0x00, 0x28, 0x00}));
    Bytes block(savedMemory.begin() + 296 * 16, savedMemory.begin() + 296 * 16 + 128);
    unsigned sum = 0;
    for (auto b : block) sum += b;
    block.push_back(static_cast<std::uint8_t>(sum % 256));
    block.push_back(0x00);
    EXPECT_EQ(w[1].bytes, block);

    // Header: B2 00 04, the 16 header bytes and their sum; 2 s later block 0 is read,
    // 1 s after its reply every written block is read back, then the clock is set.
    const std::size_t request = IndexOfWrite({0xB2, 0x00, 0x04, 0x00});
    ASSERT_LT(request + 1, w.size());
    Bytes header(savedMemory.begin() + 64, savedMemory.begin() + 80);
    sum = 0;
    for (auto b : header) sum += b;
    header.push_back(static_cast<std::uint8_t>(sum % 256));
    header.push_back(0x00);
    EXPECT_EQ(w[request + 1].bytes, header);
    const std::size_t readBack = IndexOfWrite({0xB4, 0x00, 0x00, 0x00});
    const std::size_t clock = IndexOfWrite({0x97, 0x00});
    ASSERT_LT(clock, w.size());
    EXPECT_GT(readBack, request);
    EXPECT_GE(w[readBack].time - w[request + 1].time, 2.0);
    EXPECT_GE(w[readBack + 1].time - w[readBack].time, 1.0);
    EXPECT_LT(w[readBack + 1].time - w[request + 1].time, 3.2);
    EXPECT_EQ(w[readBack + 1].bytes, (Bytes{0xB4, 0x01, 0x28, 0x00}));  // line 296, the first block
    EXPECT_EQ(WritesOf(0xB4, 4).size(), 1u + 6u);
    EXPECT_GT(clock, readBack + 6);

    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, "T796", "T777"}, {0, "T915", "T777"}}));
    EXPECT_EQ(wizard.resets, 0);
    EXPECT_FALSE(std::filesystem::exists(BackupFile()));
    ASSERT_EQ(dc->clockRecords.size(), 1u);
    EXPECT_EQ(dc->clockRecords[0][6], 233);

    NewRun();
    EXPECT_FALSE(keeper->GetBackupProfile());
}

TEST_F(RestoreTest, HeaderThatDoesNotReadBackFailsAndKeepsTheFile) {
    BackUpThenWipe(300, 340);
    dc->ignoreHeaderWrites = true;
    keeper->RestoreProfile();
    EXPECT_FALSE(state.ProfileIntact);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, "T796", "T280"}, {2, "T816", ""}}));
    EXPECT_EQ(wizard.resets, 1);
    EXPECT_TRUE(std::filesystem::exists(BackupFile()));
    EXPECT_EQ(dc->clockRecords.size(), 1u);
}

TEST_F(RestoreTest, UnanswerableReadBackFailsEvenWhenOlderBytesWouldMatch) {
    BackUpThenWipe(300, 340);
    // The header is still in place: bytes left from an earlier read would compare equal.
    std::copy(savedMemory.begin() + 64, savedMemory.begin() + 80, dc->memory.begin() + 64);
    ASSERT_TRUE(keeper->GetBackupProfile());
    dc->silentReads = true;
    wizard.rows.clear();
    keeper->RestoreProfile();
    EXPECT_FALSE(state.ProfileIntact);
    EXPECT_EQ(wizard.rows.back(), (TaskRow{2, "T816", ""}));
    EXPECT_TRUE(std::filesystem::exists(BackupFile()));
    EXPECT_EQ(dc->clockRecords.size(), 1u);
}

TEST_F(RestoreTest, FailedBlockElsewhereStopsTheWriteBackAndKeepsTheFile) {
    BackUpThenWipe(300, 340);
    dc->refusedBlockAddresses = {56};
    keeper->RestoreProfile();
    EXPECT_EQ(dc->blockWrites, (std::vector<int>{40, 48}));
    // Four attempts of announcement and data for the refused block, nothing after it.
    EXPECT_EQ(WritesOf(0xB5, 4).size(), 6u);
    EXPECT_EQ(WritesOf(0xB5, 4).back().bytes, (Bytes{0xB5, 0x00, 0x38, 0x00}));
    EXPECT_TRUE(WritesOf(0xB2, 4).empty());
    EXPECT_FALSE(state.ProfileIntact);
    EXPECT_TRUE(state.CommError);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, "T796", "T280"}, {2, "T790", ""}}));
    EXPECT_EQ(wizard.resets, 1);
    EXPECT_TRUE(std::filesystem::exists(BackupFile()));
    EXPECT_EQ(dc->clockRecords.size(), 1u);
}

class LineFallbackTest : public RestoreTest, public ::testing::WithParamInterface<int> {};

TEST_P(LineFallbackTest, RefusedBlockGoesLineByLineToItsOwnLinesFromThatBlockOn) {
    const int refused = GetParam();
    BackUpThenWipe(3320, 3360);  // addresses 3064 .. 3104
    dc->refusedBlockAddresses = {refused};
    keeper->RestoreProfile();

    std::vector<int> blocks;
    for (int a = 3064; a < refused; a += 8) blocks.push_back(a);
    EXPECT_EQ(dc->blockWrites, blocks);
    std::vector<int> lines;
    for (int line = refused + 256; line <= 3367; ++line) lines.push_back(line);
    lines.push_back(4);
    EXPECT_EQ(dc->lineWrites, lines);
    const auto requests = WritesOf(0xB2, 4);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].bytes, (Bytes{0xB2, static_cast<std::uint8_t>((refused + 256) >> 8),
                                        static_cast<std::uint8_t>((refused + 256) & 0xFF), 0x00}));
    ExpectLinesRestored(3320, 3367);
    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, "T796", "T777"}, {0, "T915", "T777"}}));
    EXPECT_FALSE(std::filesystem::exists(BackupFile()));
}

INSTANTIATE_TEST_SUITE_P(At3072And3080, LineFallbackTest, ::testing::Values(3072, 3080));

TEST_F(RestoreTest, FailedLineInTheFallbackStillWritesTheRestThenReportsFailure) {
    BackUpThenWipe(3320, 3360);
    dc->refusedBlockAddresses = {3072};
    dc->refusedLineWrites = {3330};
    keeper->RestoreProfile();
    // Every other line of the fallback is written; the header is not.
    EXPECT_EQ(dc->lineWrites.size(), 8u * 5 - 1);
    EXPECT_EQ(dc->lineWrites.back(), 3367);
    EXPECT_FALSE(state.ProfileIntact);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, "T796", "T280"}, {2, "T790", ""}}));
    EXPECT_TRUE(std::filesystem::exists(BackupFile()));
    EXPECT_EQ(dc->clockRecords.size(), 1u);
}
