// Windows: the thread's execution state keeps the system awake until it is cleared.
// The same hold marks the write for the window, which blocks a shutdown meanwhile.

#include <windows.h>

#include "platform/SleepInhibitor.h"
#include "platform/win32/WriteInProgress.h"

namespace vor {
namespace {

int writes = 0;  // holds taken and not yet released (the program's one thread)
std::function<void(bool)> writeWatcher;

class ExecutionStateHold : public SleepInhibitor::Hold {
public:
    ExecutionStateHold() {
        if (++writes == 1 && writeWatcher) writeWatcher(true);
    }
    ~ExecutionStateHold() override {
        SetThreadExecutionState(ES_CONTINUOUS);
        if (--writes == 0 && writeWatcher) writeWatcher(false);
    }
    ExecutionStateHold(const ExecutionStateHold&) = delete;
    ExecutionStateHold& operator=(const ExecutionStateHold&) = delete;
};

class ExecutionStateInhibitor : public SleepInhibitor {
public:
    std::unique_ptr<Hold> inhibit(const std::string&) override {
        // Held even where the system refused to stay awake: the write still is one.
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
        return std::make_unique<ExecutionStateHold>();
    }
};

}  // namespace

std::unique_ptr<SleepInhibitor> MakeSystemSleepInhibitor() { return std::make_unique<ExecutionStateInhibitor>(); }

bool WriteInProgress() { return writes > 0; }

void WatchWrites(std::function<void(bool writing)> watcher) { writeWatcher = std::move(watcher); }

}  // namespace vor
