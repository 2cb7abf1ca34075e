#include "platform/ProcessPriority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace vor {

namespace {

constexpr int NormalNice = 0;
constexpr int HighNice = -10;
constexpr int RealtimeNice = -20;

class SystemNiceAccess : public NiceAccess {
public:
    bool read(int pid, int& nice) override {
        errno = 0;  // getpriority may legitimately return -1
        const int value = getpriority(PRIO_PROCESS, static_cast<id_t>(pid));
        if (value == -1 && errno != 0) return false;
        nice = value;
        return true;
    }
    bool write(int pid, int nice) override { return setpriority(PRIO_PROCESS, static_cast<id_t>(pid), nice) == 0; }
};

}  // namespace

bool NiceForClass(int priorityClass, int& nice) {
    switch (priorityClass) {
    case 32: nice = NormalNice; return true;
    case 128: nice = HighNice; return true;
    case 256: nice = RealtimeNice; return true;
    default: return false;
    }
}

int ClassForNice(int nice) {
    if (nice <= RealtimeNice) return 256;
    if (nice <= HighNice) return 128;
    return 32;
}

int ApplyPriorityClass(NiceAccess& access, int pid, int priorityClass) {
    int nice = 0;
    if (NiceForClass(priorityClass, nice)) access.write(pid, nice);  // refusal keeps the old value
    int current = NormalNice;
    if (!access.read(pid, current)) return 32;
    return ClassForNice(current);
}

int SetProcessPriority(int processId, int /*windowHandle*/, int priorityClass) {
    // A window handle cannot name a process here; 0 means this process anyway.
    SystemNiceAccess access;
    const int pid = processId != 0 ? processId : static_cast<int>(getpid());
    return ApplyPriorityClass(access, pid, priorityClass);
}

}  // namespace vor
