// vor-console-event ctrl-c|close|logoff|shutdown <program path>: delivers a console
// control event to every running process of that program the way the console does, by starting
// the system's control routine in it. Only Ctrl-C and Ctrl-Break can be generated
// otherwise, and only for a whole console; the end-to-end tests press Ctrl-C in and
// close a terminal run's console with this.

#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <cwchar>

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 3) {
        std::fputs("usage: vor-console-event ctrl-c|close|logoff|shutdown <program path>\n", stderr);
        return 2;
    }
    DWORD event = CTRL_CLOSE_EVENT;
    if (std::wcscmp(argv[1], L"ctrl-c") == 0) event = CTRL_C_EVENT;
    if (std::wcscmp(argv[1], L"logoff") == 0) event = CTRL_LOGOFF_EVENT;
    if (std::wcscmp(argv[1], L"shutdown") == 0) event = CTRL_SHUTDOWN_EVENT;
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    if (!routine) return 3;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int reached = 0;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID);
        if (!process) continue;
        // By the whole path: runs of other copies go on undisturbed.
        wchar_t image[MAX_PATH * 4];
        DWORD length = MAX_PATH * 4;
        if (!::QueryFullProcessImageNameW(process, 0, image, &length) || _wcsicmp(image, argv[2]) != 0) {
            ::CloseHandle(process);
            continue;
        }
        HANDLE thread = ::CreateRemoteThread(process, nullptr, 0, routine,
                                             reinterpret_cast<void*>(std::uintptr_t{event}), 0, nullptr);
        if (thread) {
            ++reached;
            ::CloseHandle(thread);
        }
        ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
    std::printf("%d\n", reached);
    return reached > 0 ? 0 : 1;
}
