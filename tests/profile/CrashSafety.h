#pragma once
// The crash test's fixture. How a child writes the backup and is killed is each
// system's own: CrashChildPosix.cpp forks and raises SIGKILL, CrashChildWindows.cpp
// starts this program again and ends it with TerminateProcess.

#include "tests/profile/ProfileFixture.h"

namespace vor::test {

class CrashSafetyTest : public ProfileTest {
protected:
    void PrepareDc() {
        SetProfileLines(300, 340);
        dc->fillLines(256, 4063, 31);
    }
    // Runs BackupProfile in a child that is killed at its `killAt`-th write step
    // (0-based; -1: never). True when the child was killed.
    bool BackUpInChild(int killAt);
};

}  // namespace vor::test
