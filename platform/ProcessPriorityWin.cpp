#include "platform/ProcessPriority.h"

#include <windows.h>

namespace vor {

// As on Linux, the three classes are three steps that never reach real-time: a stuck
// real-time process would starve the system (the cable's driver included).
unsigned WindowsPriorityClassFor(int priorityClass) {
    switch (priorityClass) {
    case 128: return ABOVE_NORMAL_PRIORITY_CLASS;
    case 256: return HIGH_PRIORITY_CLASS;
    default: return NORMAL_PRIORITY_CLASS;
    }
}

int ClassForWindowsPriority(unsigned windowsClass) {
    switch (windowsClass) {
    case REALTIME_PRIORITY_CLASS:
    case HIGH_PRIORITY_CLASS: return 256;
    case ABOVE_NORMAL_PRIORITY_CLASS: return 128;
    default: return 32;
    }
}

int SetProcessPriority(int processId, int windowHandle, int priorityClass) {
    DWORD pid = static_cast<DWORD>(processId);
    if (pid == 0 && windowHandle != 0)
        GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<INT_PTR>(windowHandle)), &pid);
    if (pid == 0) pid = GetCurrentProcessId();

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION, FALSE, pid);
    if (process != nullptr) {
        SetPriorityClass(process, WindowsPriorityClassFor(priorityClass));
    } else {
        // Not allowed to change it: only read what it is.
        process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    }
    if (process == nullptr) return 0;
    const DWORD result = GetPriorityClass(process);
    CloseHandle(process);
    return result == 0 ? 0 : ClassForWindowsPriority(result);
}

}  // namespace vor
