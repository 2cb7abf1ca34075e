#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "profile/BackupCheck.h"
#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;

namespace {
const std::string BackupRowText = "Backup dive computer profile";
}

TEST_F(ProfileTest, ByteAddressPointersBackUpFromTheBlockHoldingTheStartToTheBlockHoldingTheEnd) {
    SetProfileLines(291, 416);  // start not a multiple of 8
    dc->fillLines(256, 4063, 1);
    keeper->BackupProfile();

    // Block 0, then blocks 288 .. 416 in order, each request B4 hi lo and the trailing 00.
    std::vector<int> expected{0};
    for (int line = 288; line <= 416; line += 8) expected.push_back(line);
    EXPECT_EQ(dc->reads, expected);
    const auto reads = WritesOf(0xB4, 4);
    ASSERT_EQ(reads.size(), 18u);
    EXPECT_EQ(reads[0].bytes, (Bytes{0xB4, 0x00, 0x00, 0x00}));
    EXPECT_EQ(reads[1].bytes, (Bytes{0xB4, 0x01, 0x20, 0x00}));

    const FileView f{ReadFile(BackupFile())};
    ASSERT_EQ(f.bytes.size(), FileSize);
    ExpectFileHoldsDcBlocks(f, 288, 17);
    Bytes header = DcHeader();
    unsigned sum = 0;
    for (auto b : header) sum += b;
    header.push_back(static_cast<std::uint8_t>(sum % 256));
    EXPECT_EQ(f.header(), header);
    EXPECT_EQ(f.digits(), (Bytes{0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    EXPECT_TRUE(state.ProfileBackupNeeded);
    EXPECT_FALSE(state.CommError);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, BackupRowText, T(Msg::Done)}}));
    EXPECT_EQ(wizard.statuses.front(), "6%");
    EXPECT_EQ(wizard.statuses[wizard.statuses.size() - 2], "100%");
    EXPECT_EQ(wizard.resets, 0);
    // Block 0, then the 17 blocks from line 291's block to line 416's.
    ASSERT_EQ(dc->reads.size(), 18u);
    EXPECT_EQ(dc->reads[1], 288);
    EXPECT_EQ(dc->reads.back(), 416);
}

TEST_F(ProfileTest, LinePointersOfTheLargeMemoryBackUpTheirLines) {
    UseMemorySize(1024);
    dc->setPointerBytes(0x34, 0x01, 0x50, 0x01);  // lines 308 .. 336
    dc->fillLines(256, 8159, 2);
    dc->readChunks = {1, 60, 20};  // replies arrive in pieces
    keeper->BackupProfile();

    EXPECT_EQ(dc->reads, (std::vector<int>{0, 304, 312, 320, 328, 336}));
    const FileView f{ReadFile(BackupFile())};
    ASSERT_EQ(f.bytes.size(), FileSize);
    ExpectFileHoldsDcBlocks(f, 304, 5);
    EXPECT_EQ(wizard.statuses, (std::vector<std::string>{"20%", "40%", "60%", "80%", "100%", T(Msg::Done)}));
}

TEST_F(ProfileTest, EmptyProfileLeavesNoRowNoFileAndNeedsNoWriteBack) {
    SetProfileLines(300, 300);
    state.ProfileBackupNeeded = true;
    keeper->BackupProfile();
    EXPECT_EQ(dc->reads, (std::vector<int>{0}));
    EXPECT_FALSE(state.ProfileBackupNeeded);
    EXPECT_TRUE(wizard.rows.empty());
    EXPECT_TRUE(wizard.statuses.empty());
    EXPECT_FALSE(std::filesystem::exists(BackupFile()));
    EXPECT_FALSE(state.CommError);
}

TEST_F(ProfileTest, WrappedPointersBackUpAllOf476Blocks) {
    SetProfileLines(3000, 1000);
    dc->fillLines(256, 4063, 3);
    keeper->BackupProfile();
    ASSERT_EQ(dc->reads.size(), 477u);
    EXPECT_EQ(dc->reads[1], 256);
    EXPECT_EQ(dc->reads.back(), 4056);
    const FileView f{ReadFile(BackupFile())};
    ASSERT_EQ(f.bytes.size(), FileSize);
    ExpectFileHoldsDcBlocks(f, 256, 476);
    EXPECT_EQ(wizard.rows.back().status, T(Msg::Done));
}

TEST_F(ProfileTest, PointersBelowTheAreaBackUpOneBlockAtLine256) {
    SetProfileLines(20, 40);
    dc->fillLines(256, 263, 4);
    keeper->BackupProfile();
    EXPECT_EQ(dc->reads, (std::vector<int>{0, 256}));
    EXPECT_EQ(wizard.statuses, (std::vector<std::string>{"100%", T(Msg::Done)}));
    const FileView f{ReadFile(BackupFile())};
    ExpectFileHoldsDcBlocks(f, 256, 1);
}

TEST_F(ProfileTest, ThreeBlocksShowRoundedProgress) {
    SetProfileLines(256, 279);  // blocks 32, 33, 34
    keeper->BackupProfile();
    EXPECT_EQ(wizard.statuses, (std::vector<std::string>{"33%", "67%", "100%", T(Msg::Done)}));
}

TEST_F(ProfileTest, UsableBackupIsLoadedWithOnlyBlockZeroReadAndTheFileUntouched) {
    SetProfileLines(300, 340);
    dc->fillLines(256, 4063, 5);
    keeper->BackupProfile();
    const Bytes before = ReadFile(BackupFile());
    const auto writtenAt = std::filesystem::last_write_time(BackupFile());

    // A later run: the DC's profile has changed meanwhile, the saved one stays.
    NewRun();
    dc->reads.clear();
    dc->fillLines(256, 4063, 6);
    wizard.InsertTaskList(0, "update step", "...");
    keeper->BackupProfile();

    EXPECT_EQ(dc->reads, (std::vector<int>{0}));
    EXPECT_EQ(wizard.rows.back(), (TaskRow{0, "update step", T(Msg::Done)}));
    EXPECT_EQ(ReadFile(BackupFile()), before);
    EXPECT_EQ(std::filesystem::last_write_time(BackupFile()), writtenAt);  // not written again
    EXPECT_TRUE(state.ProfileBackupNeeded);
    keeper->RestoreProfile();  // the file's six blocks go back
    EXPECT_EQ(dc->blockWrites.size(), 6u);
}

TEST_F(ProfileTest, RefusedBlockReadsFailTheBackupWithoutAFile) {
    SetProfileLines(256, 300);
    dc->refuseReadsFromCount = 3;  // block 0 and the first profile block come, then only refusals
    keeper->BackupProfile();

    // The refused block is asked for once and repeated four times, then given up.
    EXPECT_EQ(std::count(dc->reads.begin(), dc->reads.end(), 264), 5);
    EXPECT_EQ(dc->reads.size(), 7u);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, BackupRowText, T(Msg::Failed)}, {2, T(Msg::BackupFailed), ""}}));
    EXPECT_TRUE(state.CommError);
    EXPECT_EQ(wizard.resets, 1);
    EXPECT_FALSE(std::filesystem::exists(BackupFile()));
}

TEST_F(ProfileTest, SilentDcEndsABlockReadAfterFourRepeatsWithinASecond) {
    SetProfileLines(256, 300);
    // Block 0 answers; then the DC falls silent.
    port.setPeer([this, first = true](std::span<const std::uint8_t> b) mutable {
        if (b[0] == 0xB4 && first) {
            first = false;
            Bytes r{0x5A};
            const auto blk = dc->block(0);
            r.insert(r.end(), blk.begin(), blk.end());
            port.deliver(r, 0.005);
        }
    });
    keeper->BackupProfile();
    const auto reads = WritesOf(0xB4, 4);
    ASSERT_EQ(reads.size(), 6u);
    const double firstSend = reads[1].time;
    for (std::size_t i = 2; i < reads.size(); ++i) EXPECT_NEAR(reads[i].time - reads[i - 1].time, 0.2, 0.01);
    EXPECT_LT(pump.now() - firstSend, 0.85);
    EXPECT_EQ(wizard.rows.back(), (TaskRow{2, T(Msg::BackupFailed), ""}));
    EXPECT_FALSE(std::filesystem::exists(BackupFile()));
}

TEST_F(ProfileTest, PortErrorDuringTheReadOutWritesNoFileOfStaleBlocks) {
    SetProfileLines(256, 300);
    // Block 0 answers; every later write fails inside the port driver.
    port.setPeer([this, first = true](std::span<const std::uint8_t> b) mutable {
        if (!first) throw std::runtime_error("driver fault");
        first = false;
        Bytes r{0x5A};
        const auto blk = dc->block(b[1] * 256 + b[2]);
        r.insert(r.end(), blk.begin(), blk.end());
        port.deliver(r, 0.005);
    });
    keeper->BackupProfile();
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, BackupRowText, T(Msg::Failed)}, {2, T(Msg::BackupFailed), ""}}));
    EXPECT_TRUE(state.CommError);
    EXPECT_EQ(wizard.resets, 1);
    for (const auto& file :
         std::filesystem::directory_iterator(folder))  // only the DC's lock, held while the run lives
        EXPECT_EQ(file.path().extension(), ".lock") << file.path();
}

TEST_F(ProfileTest, UnreadableBlockZeroIsAFailureAndNeverTakesStaleBytesForTheDc) {
    // An identity reply has just filled the reply buffer.
    dc->setSerialBytes(0x01, 0x23, 0x45);
    ASSERT_TRUE(link.ReadIdentity());
    dc->silentReads = true;
    keeper->BackupProfile();
    EXPECT_EQ(WritesOf(0xB4, 4).size(), 5u);
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, BackupRowText, T(Msg::Failed)}, {2, T(Msg::BackupFailed), ""}}));
    EXPECT_TRUE(state.CommError);
    EXPECT_FALSE(state.ProfileBackupNeeded);  // no file, and no code goes out: nothing to recover at Close
    EXPECT_EQ(wizard.resets, 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(ProfileTest, SerialFortyTwoNamesTheFileAndGivesItsDigits) {
    dc->setSerialBytes(0x00, 0x00, 0x42);
    SetProfileLines(256, 260);
    keeper->BackupProfile();
    const FileView f{ReadFile(folder / "6865.000042.bin")};
    ASSERT_EQ(f.bytes.size(), FileSize);
    EXPECT_EQ(f.digits(), (Bytes{0, 0, 0, 0, 4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(keeper->report().backupFile, folder / "6865.000042.bin");
}

TEST_F(ProfileTest, SerialNibblesAboveNineDecodeByTheSameArithmetic) {
    dc->setSerialBytes(0xFF, 0xFF, 0xFF);  // 165*10000 + 165*100 + 165
    SetProfileLines(256, 260);
    keeper->BackupProfile();
    const FileView f{ReadFile(folder / "6865.1666665.bin")};
    ASSERT_EQ(f.bytes.size(), FileSize);
    EXPECT_EQ(f.digits(), (Bytes{1, 6, 6, 6, 6, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    NewRun();
    EXPECT_TRUE(keeper->GetBackupProfile());
}

TEST_F(ProfileTest, ForeignFileIsReplacedByABackupCarryingThisDcsDigits) {
    SetProfileLines(300, 340);
    dc->fillLines(256, 4063, 7);
    Bytes foreignMemory(dc->memory.size(), 0x11);
    WriteFile(BackupFile(), MakeBackupFile(Bytes(16, 0x22), {9, 9, 9, 9, 9, 9}, 256, 3, foreignMemory));
    EXPECT_FALSE(keeper->GetBackupProfile());

    keeper->BackupProfile();
    const FileView f{ReadFile(BackupFile())};
    ASSERT_EQ(f.bytes.size(), FileSize);
    EXPECT_EQ(f.digits(), (Bytes{0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ExpectFileHoldsDcBlocks(f, 296, 6);
    NewRun();
    EXPECT_TRUE(keeper->GetBackupProfile());
}

// A file that fails its check is never used and never deleted: it goes aside whole,
// named with what was wrong.
TEST_F(ProfileTest, DamagedFilesAreSetAsideWholeAndNamed) {
    SetProfileLines(300, 340);
    Bytes sound = MakeBackupFile(DcHeader(), {0, 1, 2, 3, 4, 5}, 296, 6, dc->memory);
    Bytes notAByte = sound;
    notAByte[34 + 2 * (5 * 1024 + 2) + 1] = 0x01;  // row 2, column 5 = 256 + byte
    Bytes badHeaderSum = sound;
    badHeaderSum[16] ^= 0x5A;
    Bytes cancelling = sound;  // two changes that keep every check byte
    cancelling[34 + 2 * (5 * 1024 + 2)] += 1;
    cancelling[34 + 2 * (6 * 1024 + 2)] -= 1;
    const struct {
        Bytes file;
        bool withDigest;  // the digest of `sound` beside it
        const char* damage;
    } cases[] = {
        {Bytes{}, false, "0 bytes"},
        {Bytes(1000, 0x33), false, "1000 bytes"},
        {Bytes(FileSize + 1, 0x33), false, "266275 bytes"},
        {notAByte, false, "block 3 does not match"},
        {badHeaderSum, false, "its header does not match its check byte"},
        {cancelling, true, "does not match the digest"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        for (const auto& e : std::filesystem::directory_iterator(folder)) std::filesystem::remove(e.path());
        wizard.rows.clear();
        WriteFile(BackupFile(), c.file);
        if (c.withDigest) {
            ASSERT_TRUE(WriteBackupDigest(BackupFile(), sound).ok);
        }
        EXPECT_FALSE(keeper->GetBackupProfile());
        EXPECT_FALSE(std::filesystem::exists(BackupFile()));
        EXPECT_EQ(SetAsideFiles(), std::vector<Bytes>{c.file});
        ASSERT_FALSE(wizard.rows.empty());
        EXPECT_EQ(wizard.rows.back().icon, 2);
        EXPECT_THAT(wizard.rows.back().event, ::testing::StartsWith(T(Msg::BackupDamaged)));
        EXPECT_THAT(keeper->report().damage, ::testing::HasSubstr(c.damage));
    }
    // The digest alone tells the sound file from the one whose changes cancel out.
    WriteFile(BackupFile(), sound);
    ASSERT_TRUE(WriteBackupDigest(BackupFile(), sound).ok);
    EXPECT_TRUE(keeper->GetBackupProfile());
}

// A file under this DC's name that is another DC's, or that cannot be read, may be the
// only copy of somebody's dives: it goes aside whole before the new backup takes the name.
TEST_F(ProfileTest, ForeignFileUnderTheDcsNameIsSetAsideBeforeTheBackupIsWritten) {
    for (const bool diskFull : {false, true}) {
        SCOPED_TRACE(diskFull ? "disk full" : "written");
        for (const auto& e : std::filesystem::directory_iterator(folder)) std::filesystem::remove(e.path());
        wizard.rows.clear();
        state.CommError = false;
        NewRun();
        SetProfileLines(300, 340);
        const Bytes old = MakeBackupFile(DcHeader(), {9, 9, 9, 9, 9, 9}, 296, 6, Bytes(dc->memory.size(), 1));
        WriteFile(BackupFile(), old);
        keeper->setWriteObserver([diskFull](WriteStep step, std::size_t done) {
            return !(diskFull && step == WriteStep::DataWritten && done > 100000);  // full half-way
        });
        keeper->BackupProfile();
        ASSERT_GE(wizard.rows.size(), 2u);
        EXPECT_EQ(wizard.rows[1].event.rfind(T(Msg::BackupSetAside), 0), 0u);  // "set aside as ..."
        EXPECT_EQ(state.CommError, diskFull);
        EXPECT_EQ(SetAsideFiles(), std::vector<Bytes>{old});
        EXPECT_EQ(std::filesystem::exists(BackupFile()), !diskFull);
        if (diskFull) {
            EXPECT_EQ(wizard.rows.back(), (TaskRow{2, T(Msg::BackupNotSaved), ""}));
        }
        EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(BackupFile())));
    }
}

TEST_F(ProfileTest, BackupThatDoesNotReadBackTheSameFails) {
    SetProfileLines(300, 340);
    keeper->setWriteObserver([this](WriteStep step, std::size_t) {
        if (step == WriteStep::Replaced) {  // something spoils the file under its name
            std::fstream f(BackupFile(), std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(5000);
            f.put('\x77');
        }
        return true;
    });
    keeper->BackupProfile();
    EXPECT_TRUE(state.CommError);
    EXPECT_EQ(wizard.rows.back(), (TaskRow{2, T(Msg::BackupNotSaved), ""}));
}

TEST_F(ProfileTest, PointersNeedingMoreThan1024BlocksFailCleanly) {
    UseMemorySize(1024);
    dc->setPointerBytes(0x00, 0x01, 0xFF, 0xFF);  // lines 256 .. 65535
    keeper->BackupProfile();
    EXPECT_EQ(dc->reads, (std::vector<int>{0}));
    EXPECT_EQ(wizard.rows, (std::vector<TaskRow>{{0, BackupRowText, T(Msg::Failed)}, {2, T(Msg::BackupFailed), ""}}));
    EXPECT_TRUE(state.CommError);
    EXPECT_EQ(wizard.resets, 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "6865.012345.bin"));
}
