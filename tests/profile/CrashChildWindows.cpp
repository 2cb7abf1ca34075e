#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/profile/CrashSafety.h"

namespace vor::test {
namespace {

constexpr UINT KilledExitCode = 77;
constexpr const char* FolderVariable = "VOR_CRASH_FOLDER";
constexpr const char* KillAtVariable = "VOR_CRASH_AT";

}  // namespace

// Windows has no fork: the child is this program again, running only the test below.
bool CrashSafetyTest::BackUpInChild(int killAt) {
    SetEnvironmentVariableA(FolderVariable, folder.string().c_str());
    SetEnvironmentVariableA(KillAtVariable, std::to_string(killAt).c_str());
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" --gtest_filter=CrashSafetyTest.Child";
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

// The child's side: only when started by BackUpInChild.
TEST_F(CrashSafetyTest, Child) {
    const char* parentFolder = std::getenv(FolderVariable);
    const char* killAtText = std::getenv(KillAtVariable);
    if (!parentFolder || !killAtText) GTEST_SKIP() << "started by KilledAtAnyStepLeavesTheOldOrTheCompleteNewBackup";
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

}  // namespace vor::test
