#include "platform/ProcessPriority.h"

#include <windows.h>

namespace vor {

int SetProcessPriority(int processId, int windowHandle, int priorityClass) {
    DWORD pid = static_cast<DWORD>(processId);
    if (pid == 0 && windowHandle != 0)
        GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<INT_PTR>(windowHandle)), &pid);
    if (pid == 0) pid = GetCurrentProcessId();

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION, FALSE, pid);
    if (process != nullptr) {
        SetPriorityClass(process, static_cast<DWORD>(priorityClass));
    } else {
        // Not allowed to change it: only read what it is.
        process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    }
    if (process == nullptr) return 0;
    const DWORD result = GetPriorityClass(process);
    CloseHandle(process);
    return static_cast<int>(result);
}

}  // namespace vor
