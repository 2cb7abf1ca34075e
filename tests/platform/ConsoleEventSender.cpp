// vor-console-event ctrl-c|close|logoff|shutdown <program.exe>: delivers a console control
// event to every running process of that name the way the console does, by starting
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
        std::fputs("usage: vor-console-event ctrl-c|close|logoff|shutdown <program.exe>\n", stderr);
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
        if (_wcsicmp(entry.szExeFile, argv[2]) != 0) continue;
        HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID);
        if (!process) continue;
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
