// A backup written over an older one is killed at every step of the file write; the
// name must then hold the old file or the complete new one, never anything between.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;

namespace {

class CrashSafetyTest : public ProfileTest {
protected:
    // Runs BackupProfile in a child that kills itself at its `killAt`-th write step
    // (0-based; -1: never). Returns whether the child died by the signal.
    bool BackUpInChild(int killAt) {
        const pid_t child = ::fork();
        if (child == 0) {
            int step = 0;
            keeper->setWriteObserver([&step, killAt](WriteStep, std::size_t) {
                if (step++ == killAt) ::raise(SIGKILL);
                return true;
            });
            keeper->BackupProfile();
            ::_exit(state.CommError ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status)) {
            EXPECT_EQ(WEXITSTATUS(status), 0) << "kill point " << killAt;
        }
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
};

}  // namespace

TEST_F(CrashSafetyTest, KilledAtAnyStepLeavesTheOldOrTheCompleteNewBackup) {
    SetProfileLines(300, 340);
    dc->fillLines(256, 4063, 31);
    const Bytes old = MakeBackupFile(Bytes(16, 0x22), {9, 9, 9, 9, 9, 9}, 256, 3, Bytes(dc->memory.size(), 0x11));

    WriteFile(BackupFile(), old);
    ASSERT_FALSE(BackUpInChild(-1));
    const Bytes fresh = ReadFile(BackupFile());
    ASSERT_EQ(fresh.size(), FileSize);
    ASSERT_NE(fresh, old);

    int killed = 0, sawOld = 0, sawNew = 0;
    for (int killAt = 0;; ++killAt) {
        WriteFile(BackupFile(), old);
        const bool died = BackUpInChild(killAt);
        const Bytes now = ReadFile(BackupFile());
        ASSERT_TRUE(now == old || now == fresh) << "torn backup after kill point " << killAt;
        if (!died) break;
        ++killed;
        (now == old ? sawOld : sawNew)++;
    }
    // Creation, every 4 KiB piece, the sync, the rename and the folder sync.
    EXPECT_EQ(killed, 1 + 66 + 1 + 1 + 1);
    EXPECT_EQ(sawNew, 2);  // killed after the rename
    EXPECT_EQ(sawOld, killed - 2);

    // The next backup after a crash reuses the leftover temporary file.
    NewRun();
    WriteFile(BackupFile(), old);
    keeper->BackupProfile();
    EXPECT_EQ(ReadFile(BackupFile()), fresh);
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(BackupFile())));
}
