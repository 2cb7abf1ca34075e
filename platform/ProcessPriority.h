#pragma once
// The program's process priority in the three classes the update relies on:
// 32 normal, 128 high, 256 realtime (the Windows priority-class values).
//
// Windows maps them to its normal, above-normal and high classes; Linux and macOS to
// nice values 0, -10 and -20. Neither ever uses real-time (a stuck realtime process
// would freeze the desktop). A refused change keeps the current priority;
// the result is always the class read back afterwards.

namespace vor {

// processId 0 and windowHandle 0 mean the program's own process. Returns the
// priority class the process has afterwards.
int SetProcessPriority(int processId, int windowHandle, int priorityClass);

#ifdef _WIN32
// The Windows priority class for one of the three, and the one of the three a
// Windows class belongs to (real-time and high count as 256).
unsigned WindowsPriorityClassFor(int priorityClass);
int ClassForWindowsPriority(unsigned windowsClass);
#else
// Nice value of a class; false (and `nice` untouched) for a class not listed above.
bool NiceForClass(int priorityClass, int& nice);
// The class a nice value belongs to: -20 and below realtime, -10 and below high,
// everything else normal.
int ClassForNice(int nice);

// Access to a process's nice value; the real one wraps getpriority/setpriority.
class NiceAccess {
public:
    virtual ~NiceAccess() = default;
    virtual bool read(int pid, int& nice) = 0;  // false when the process cannot be queried
    virtual bool write(int pid, int nice) = 0;  // false when the change is refused
};

// The whole operation over a given access: change when permitted, then read back.
int ApplyPriorityClass(NiceAccess& access, int pid, int priorityClass);
#endif

}  // namespace vor
