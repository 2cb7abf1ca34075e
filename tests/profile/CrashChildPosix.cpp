#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/profile/CrashSafety.h"

namespace vor::test {

bool CrashSafetyTest::BackUpInChild(int killAt) {
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

}  // namespace vor::test
