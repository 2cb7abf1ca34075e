// Windows: the thread's execution state keeps the system awake until it is cleared.

#include <windows.h>

#include "platform/SleepInhibitor.h"

namespace vor {
namespace {

class ExecutionStateHold : public SleepInhibitor::Hold {
public:
    ~ExecutionStateHold() override { SetThreadExecutionState(ES_CONTINUOUS); }
};

class ExecutionStateInhibitor : public SleepInhibitor {
public:
    std::unique_ptr<Hold> inhibit(const std::string&) override {
        if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) return nullptr;
        return std::make_unique<ExecutionStateHold>();
    }
};

}  // namespace

std::unique_ptr<SleepInhibitor> MakeSystemSleepInhibitor() { return std::make_unique<ExecutionStateInhibitor>(); }

}  // namespace vor
