// Windows has no fork: the backup is written by a child run of this same test program,
// which ends itself with TerminateProcess at the chosen write step. The name must then
// hold the old file or the complete new one, never anything between.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;

namespace {

constexpr UINT KilledExitCode = 77;
constexpr const char* FolderVariable = "VOR_CRASH_FOLDER";
constexpr const char* KillAtVariable = "VOR_CRASH_AT";

class CrashSafetyWindowsTest : public ProfileTest {
protected:
    void PrepareDc() {
        SetProfileLines(300, 340);
        dc->fillLines(256, 4063, 31);
    }
    // Runs the child test with the kill point `killAt` (-1: never); true when it was killed.
    bool BackUpInChild(int killAt) {
        SetEnvironmentVariableA(FolderVariable, folder.string().c_str());
        SetEnvironmentVariableA(KillAtVariable, std::to_string(killAt).c_str());
        char program[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string command = std::string("\"") + program + "\" --gtest_filter=CrashSafetyWindowsTest.Child";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        EXPECT_TRUE(
            CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
        WaitForSingleObject(child.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        SetEnvironmentVariableA(KillAtVariable, nullptr);
        if (code != KilledExitCode) {
            EXPECT_EQ(code, 0u) << "kill point " << killAt;
        }
        return code == KilledExitCode;
    }
};

}  // namespace

// The child's side: only when started by the test below.
TEST_F(CrashSafetyWindowsTest, Child) {
    const char* parentFolder = std::getenv(FolderVariable);
    const char* killAtText = std::getenv(KillAtVariable);
    if (!parentFolder || !killAtText) GTEST_SKIP() << "run by KilledAtAnyStepLeavesTheOldOrTheCompleteNewBackup";
    std::filesystem::remove_all(folder);
    folder = parentFolder;
    NewRun();
    PrepareDc();
    const int killAt = std::atoi(killAtText);
    int step = 0;
    keeper->setWriteObserver([&step, killAt](WriteStep, std::size_t) {
        if (step++ == killAt) TerminateProcess(GetCurrentProcess(), KilledExitCode);
        return true;
    });
    keeper->BackupProfile();
    EXPECT_FALSE(state.CommError);
    folder = MakeTempFolder("vor-crash-child");  // TearDown leaves the parent's folder alone
}

TEST_F(CrashSafetyWindowsTest, KilledAtAnyStepLeavesTheOldOrTheCompleteNewBackup) {
    PrepareDc();
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
    // Creation, every 4 KiB piece, the flush, the replace and its confirmation.
    EXPECT_EQ(killed, 1 + 66 + 1 + 1 + 1);
    EXPECT_EQ(sawNew, 2);  // killed after the replace
    EXPECT_EQ(sawOld, killed - 2);

    // The next backup after a crash removes the leftover temporary file and reads back.
    NewRun();
    PrepareDc();
    WriteFile(BackupFile(), old);
    keeper->BackupProfile();
    EXPECT_FALSE(state.CommError);
    EXPECT_EQ(ReadFile(BackupFile()), fresh);
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(BackupFile())));
}
