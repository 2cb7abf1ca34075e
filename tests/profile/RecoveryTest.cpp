#include <gtest/gtest.h>

#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;

namespace {

const std::string Instructions =
    "1. " + T(Msg::RecoveryUnplug) + "\r\n2. " + T(Msg::RecoveryClip) + "\r\n3. " + T(Msg::RecoveryWake) + "\r\n" +
    T(Msg::RecoveryWake2) + "\r\n" + T(Msg::RecoveryWake3) + "\r\n" + T(Msg::RecoveryWake4) + "\r\n\r\n4. " +
    T(Msg::RecoveryStep4) + "\r\n5. " + T(Msg::RecoveryStep5) + "\r\n6. " + T(Msg::RecoveryStep6) + "\r\n";

// A failed update left a saved profile pending; the program is being closed.
class RecoveryTest : public ProfileTest {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        SetProfileLines(300, 340);
        dc->fillLines(256, 4063, 21);
        keeper->BackupProfile();
        ASSERT_TRUE(std::filesystem::exists(BackupFile()));
        backup = ReadFile(BackupFile());
        saved = dc->memory;
        std::fill(dc->memory.begin() + 64, dc->memory.begin() + 80, 0xFF);
        std::fill(dc->memory.begin() + 256 * 16, dc->memory.end(), 0xFF);
        state.ProfileIntact = false;
        state.CommError = true;
        NewRun();
        keeper->GetBackupProfile();  // the closing run knows the DC's path
        port.clearRecord();
        wizard = RecordingWizard{};
    }
    Bytes saved;
    Bytes backup;

    // Given up: nothing under the backup's name, its bytes whole under another.
    void ExpectSetAside() {
        EXPECT_FALSE(std::filesystem::exists(BackupFile()));
        EXPECT_EQ(SetAsideFiles(), std::vector<Bytes>{backup});
    }

    void ExpectClockThenDeepSleepLast() {
        const auto& w = port.writes();
        ASSERT_GE(w.size(), 3u);
        EXPECT_EQ(w[w.size() - 3].bytes, (Bytes{0x97, 0x00}));
        EXPECT_EQ(w[w.size() - 2].bytes.size(), 10u);
        EXPECT_EQ(w[w.size() - 1].bytes, (Bytes{0xA8, 0x99, 0x00}));
    }
};

}  // namespace

TEST_F(RecoveryTest, NoSetsTheBackupAsideAndSendsNothing) {
    wizard.answers = {BoxAnswer::No};
    keeper->ProfileRecovering();
    ASSERT_EQ(wizard.boxes.size(), 1u);
    EXPECT_EQ(wizard.boxes[0].icon, BoxIcon::Warning);
    EXPECT_EQ(wizard.boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(wizard.boxes[0].caption, T(Msg::RecoveryCaption));
    EXPECT_EQ(wizard.boxes[0].text, T(Msg::RecoveryQuestion));
    EXPECT_TRUE(port.writes().empty());
    ExpectSetAside();
    EXPECT_EQ(wizard.rows.back().event.rfind(T(Msg::BackupSetAside), 0), 0u);
    EXPECT_NE(keeper->report().setAside.string().find(".set-aside-"), std::string::npos);
}

TEST_F(RecoveryTest, CancelGivesTheProfileUpButStillSetsTheClockAndSleeps) {
    wizard.answers = {BoxAnswer::Yes, BoxAnswer::Cancel};
    keeper->ProfileRecovering();
    ASSERT_EQ(wizard.boxes.size(), 2u);
    EXPECT_EQ(wizard.boxes[1].icon, BoxIcon::Information);
    EXPECT_EQ(wizard.boxes[1].buttons, BoxButtons::OkCancel);
    EXPECT_EQ(wizard.boxes[1].caption, T(Msg::RecoveryCaption));
    EXPECT_EQ(wizard.boxes[1].text, Instructions);
    EXPECT_TRUE(state.ProfileIntact);
    ExpectSetAside();
    EXPECT_TRUE(wizard.priorities.empty());
    EXPECT_EQ(port.writes().size(), 3u);
    ExpectClockThenDeepSleepLast();
}

TEST_F(RecoveryTest, UnansweredIdentityShowsTheSameInstructionsAgainThenWritesBack) {
    dc->silentIdentityQueries = 1000;  // until the user has seen the instructions twice
    wizard.onBox = [this](std::size_t box) {
        if (box == 2) dc->silentIdentityQueries = 0;
    };
    wizard.answers = {BoxAnswer::Yes, BoxAnswer::Ok, BoxAnswer::Ok};
    keeper->ProfileRecovering();

    ASSERT_EQ(wizard.boxes.size(), 3u);
    EXPECT_EQ(wizard.boxes[1].text, Instructions);
    EXPECT_EQ(wizard.boxes[2].text, Instructions);
    // Raised for each try, back to normal after the silent one, left high at the end.
    EXPECT_EQ(wizard.priorities, (std::vector<int>{128, 32, 128}));
    EXPECT_EQ(wizard.rows.size(), 2u);  // one write-back and its check, in the pass the DC answered
    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_FALSE(std::filesystem::exists(BackupFile()));
    for (int line = 296; line <= 343; ++line)
        ASSERT_EQ(dc->line(line), Bytes(saved.begin() + line * 16, saved.begin() + line * 16 + 16)) << line;
    EXPECT_EQ(dc->line(4), Bytes(saved.begin() + 64, saved.begin() + 80));
    EXPECT_EQ(wizard.rows.back(), (TaskRow{0, T(Msg::CheckStep), T(Msg::Done)}));
    EXPECT_EQ(keeper->report().writeBack, WriteBackEnd::Verified);
    EXPECT_EQ(dc->clockRecords.size(), 2u);  // the write-back's, then the closing one
    ExpectClockThenDeepSleepLast();
}

TEST_F(RecoveryTest, FailedWriteBackShowsTheInstructionsAgainUntilCancel) {
    dc->refusedBlockAddresses = {48};
    wizard.answers = {BoxAnswer::Yes, BoxAnswer::Ok, BoxAnswer::Cancel};
    keeper->ProfileRecovering();
    ASSERT_EQ(wizard.boxes.size(), 3u);
    EXPECT_EQ(wizard.boxes[2].text, Instructions);
    EXPECT_EQ(wizard.rows[wizard.rows.size() - 2], (TaskRow{2, T(Msg::DataRefused), ""}));
    EXPECT_EQ(wizard.resets, 1);
    EXPECT_TRUE(state.ProfileIntact);  // given up by Cancel
    ExpectSetAside();
    ExpectClockThenDeepSleepLast();
}

TEST_F(RecoveryTest, AnotherDcOnTheCableLeavesThePendingBackupWhereItIsAndSaysSo) {
    const std::filesystem::path otherDcsBackup = folder / "6865.000042.bin";
    for (const bool otherDcHasABackup : {false, true}) {
        SCOPED_TRACE(otherDcHasABackup ? "the other DC has a usable backup of its own" : "the other DC has none");
        // Another DC is connected now: serial 000042.
        dc->setSerialBytes(0x00, 0x00, 0x42);
        Bytes otherBackup;
        if (otherDcHasABackup) {
            otherBackup =
                MakeBackupFile(Bytes(saved.begin() + 64, saved.begin() + 80), {0, 0, 0, 0, 4, 2}, 296, 6, saved);
            WriteFile(otherDcsBackup, otherBackup);
        }
        wizard.boxes.clear();
        wizard.answers = {BoxAnswer::Yes, BoxAnswer::Ok, BoxAnswer::Ok};
        keeper->ProfileRecovering();
        ASSERT_EQ(wizard.boxes.size(), 3u);
        EXPECT_EQ(wizard.boxes[2].text, T(Msg::OtherDcBackupKept));
        EXPECT_FALSE(state.ProfileIntact);  // nothing was written back
        EXPECT_EQ(ReadFile(BackupFile()), backup);
        EXPECT_EQ(keeper->report().backupFile, BackupFile());  // still the one that waits
        EXPECT_EQ(keeper->report().writeBack, WriteBackEnd::None);
        EXPECT_TRUE(dc->blockWrites.empty());  // the other DC's own backup is not its business either
        if (otherDcHasABackup) {
            EXPECT_EQ(ReadFile(otherDcsBackup), otherBackup);
        }
        ExpectClockThenDeepSleepLast();
        wizard.priorities.clear();
    }
}

TEST_F(RecoveryTest, DamagedBackupIsNotWrittenNotDeletedAndTheDiverIsToldWhy) {
    backup = Bytes(1234, 0x44);
    WriteFile(BackupFile(), backup);
    wizard.answers = {BoxAnswer::Yes, BoxAnswer::Ok, BoxAnswer::Ok};
    keeper->ProfileRecovering();
    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_TRUE(dc->blockWrites.empty());
    ExpectSetAside();
    ASSERT_EQ(wizard.boxes.size(), 3u);
    EXPECT_EQ(wizard.boxes.back().text, wizard.rows.back().event);
    EXPECT_EQ(wizard.boxes.back().text.rfind(T(Msg::BackupDamaged), 0), 0u);
    ExpectClockThenDeepSleepLast();
}

TEST_F(RecoveryTest, UnreadableBlockZeroIsTreatedLikeAnUnansweredDcAndKeepsTheFile) {
    dc->silentReads = true;
    wizard.answers = {BoxAnswer::Yes, BoxAnswer::Ok, BoxAnswer::Cancel};
    keeper->ProfileRecovering();
    EXPECT_EQ(wizard.boxes.size(), 3u);
    EXPECT_EQ(wizard.priorities, (std::vector<int>{128, 32}));
    EXPECT_TRUE(dc->blockWrites.empty());
    // Only the user's Cancel gives the file up.
    ExpectSetAside();
}
