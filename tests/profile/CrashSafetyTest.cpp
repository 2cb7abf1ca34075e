// A backup written over an older one is killed at every step of the file write; the
// name must then hold the old file or the complete new one, never anything between.
#include <gtest/gtest.h>

#include "profile/BackupCheck.h"
#include "tests/profile/CrashSafety.h"

using namespace vor;
using namespace vor::test;

TEST_F(CrashSafetyTest, KilledAtAnyStepLeavesTheOldOrTheCompleteNewBackup) {
    PrepareDc();
    // An older file of this DC that holds no profile (equal pointers): nothing in it to keep.
    const Bytes old = MakeBackupFile(Bytes(16, 0x22), {0, 1, 2, 3, 4, 5}, 256, 3, Bytes(dc->memory.size(), 0x11));

    WriteFile(BackupFile(), old);
    ASSERT_FALSE(BackUpInChild(-1));
    const Bytes fresh = ReadFile(BackupFile());
    ASSERT_EQ(fresh.size(), FileSize);
    ASSERT_NE(fresh, old);

    int killed = 0, sawOld = 0, sawNew = 0;
    for (int killAt = 0;; ++killAt) {
        WriteFile(BackupFile(), old);
        std::filesystem::remove(DigestPathFor(BackupFile()));  // the old file had none
        const bool died = BackUpInChild(killAt);
        const Bytes now = ReadFile(BackupFile());
        ASSERT_TRUE(now == old || now == fresh) << "torn backup after kill point " << killAt;
        if (!died) break;
        ++killed;
        (now == old ? sawOld : sawNew)++;
    }
    // Creation, every 4 KiB piece, the sync, the rename and the folder sync; then the
    // same five steps of the digest's one piece.
    EXPECT_EQ(killed, 1 + 66 + 1 + 1 + 1 + 5);
    EXPECT_EQ(sawNew, 2 + 5);  // killed after the rename
    EXPECT_EQ(sawOld, killed - 2 - 5);

    // The next backup after a crash replaces the leftover temporary file and reads back.
    NewRun();
    WriteFile(BackupFile(), old);
    keeper->BackupProfile();
    EXPECT_FALSE(state.CommError);
    EXPECT_EQ(ReadFile(BackupFile()), fresh);
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(BackupFile())));
}
