// Process priority classes on a nice-value platform.

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "platform/ProcessPriority.h"

namespace vor {
namespace {

class ScriptedNice : public NiceAccess {
public:
    bool read(int, int& nice) override {
        ++reads;
        if (!readable) return false;
        nice = value;
        return true;
    }
    bool write(int, int nice) override {
        writes.push_back(nice);
        if (refuse) return false;
        value = nice;
        return true;
    }
    int value = 0;
    bool refuse = false;
    bool readable = true;
    int reads = 0;
    std::vector<int> writes;
};

TEST(ProcessPriority, ClassesMapToNiceZeroMinusTenMinusTwenty) {
    ScriptedNice nice;
    EXPECT_EQ(ApplyPriorityClass(nice, 42, 256), 256);
    EXPECT_EQ(ApplyPriorityClass(nice, 42, 128), 128);
    EXPECT_EQ(ApplyPriorityClass(nice, 42, 32), 32);
    EXPECT_EQ(nice.writes, (std::vector<int>{-20, -10, 0}));
    EXPECT_EQ(nice.reads, 3);  // read back after each change
}

TEST(ProcessPriority, RefusedChangeKeepsThePriorityAndReportsTheClassReadBack) {
    ScriptedNice nice;
    nice.value = -10;
    nice.refuse = true;
    EXPECT_EQ(ApplyPriorityClass(nice, 42, 256), 128);
    EXPECT_EQ(nice.value, -10);
    nice.value = 5;
    EXPECT_EQ(ApplyPriorityClass(nice, 42, 128), 32);
}

TEST(ProcessPriority, UnknownClassChangesNothing) {
    ScriptedNice nice;
    nice.value = -10;
    EXPECT_EQ(ApplyPriorityClass(nice, 42, 64), 128);
    EXPECT_TRUE(nice.writes.empty());
}

TEST(ProcessPriority, NiceValuesBetweenTheLevelsReadBackAsTheLowerClass) {
    EXPECT_EQ(ClassForNice(19), 32);
    EXPECT_EQ(ClassForNice(-9), 32);
    EXPECT_EQ(ClassForNice(-15), 128);
    EXPECT_EQ(ClassForNice(-20), 256);
}

TEST(ProcessPriority, OwnProcessReportsWhatTheSystemReadsBack) {
    errno = 0;
    const int before = getpriority(PRIO_PROCESS, 0);
    for (int priorityClass : {128, 256, 32}) {
        const int result = SetProcessPriority(0, 0, priorityClass);
        EXPECT_EQ(result, ClassForNice(getpriority(PRIO_PROCESS, 0))) << priorityClass;
    }
    setpriority(PRIO_PROCESS, 0, before);
}

}  // namespace
}  // namespace vor
