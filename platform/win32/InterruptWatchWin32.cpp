// Ctrl-C on a Windows console: the console's handler thread only signals an event; the
// event pump serves it between two commands, as the POSIX watch does with its pipe.
// A closed console window, a logoff or a shutdown is SIGTERM's counterpart: nobody is
// left to answer. Windows ends the process as soon as the handler returns (or a few
// seconds later), so the handler waits while the program's thread ends the run, writes
// the record and names the backup file; the program's exit ends that wait. A logoff or
// shutdown also reaches a hidden window of the program's, which does the same.

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/InterruptWatch.h"
#include "platform/win32/ConsoleInput.h"
#include "platform/win32/Win32Waits.h"

namespace vor {

namespace {

HANDLE interruptEvent = nullptr;
std::atomic<int> interruptCount = 0;
std::atomic<Interrupt> firstKind = Interrupt::CtrlC;
// The handler stays registered for the process once set: unregistering it takes the
// lock that the console holds while a handler runs, and this one may wait in there.
std::atomic<bool> watching = false;
bool registered = false;

bool EndsTheSession(DWORD type) {
    return type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
}

// Nobody is left to answer: the run ends as on SIGTERM. Windows ends the process when
// the caller returns, so this waits for the program's exit.
[[noreturn]] void EndRunForTheSession() {
    if (++interruptCount == 1) {
        firstKind = Interrupt::Terminate;
        ::SetEvent(interruptEvent);
    }
    for (;;) ::Sleep(INFINITE);
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (!watching) return FALSE;  // the system's handling
    if (EndsTheSession(type)) EndRunForTheSession();
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // A second Ctrl-C goes to the system's handler, which ends the program at once.
    if (++interruptCount > 1) return FALSE;
    ::SetEvent(interruptEvent);
    return TRUE;
}

// A console program that loads user32 (this one shares the window's code) is not told
// of a logoff or shutdown through its console handler: Windows asks the process's
// top-level windows instead. A hidden one, on a thread of its own, hears it.
LRESULT CALLBACK OnSessionMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message == WM_ENDSESSION) {
        if (wParam && watching) EndRunForTheSession();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI RunSessionWindow(void*) {
    WNDCLASSW kind{};
    kind.lpfnWndProc = OnSessionMessage;
    kind.hInstance = ::GetModuleHandleW(nullptr);
    kind.lpszClassName = L"vor-fwupdate session";
    ::RegisterClassW(&kind);
    // Never shown: it only receives what Windows sends to every top-level window.
    if (!::CreateWindowExW(0, kind.lpszClassName, L"vor-fwupdate", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           kind.hInstance, nullptr))
        return 0;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

class Win32InterruptWatch : public InterruptWatch {
public:
    explicit Win32InterruptWatch(std::function<void(Interrupt)> onInterrupt) {
        Win32Waits::Instance().add(interruptEvent, [onInterrupt = std::move(onInterrupt)] {
            ::ResetEvent(interruptEvent);
            Win32Waits::Instance().remove(interruptEvent);  // the first Ctrl-C is served once
            if (onInterrupt) onInterrupt(firstKind);
        });
        watching = true;
        if (!registered) {
            registered = ::SetConsoleCtrlHandler(OnConsoleControl, TRUE) != FALSE;
            if (const HANDLE thread = ::CreateThread(nullptr, 0, RunSessionWindow, nullptr, 0, nullptr))
                ::CloseHandle(thread);
        }
    }
    ~Win32InterruptWatch() override {
        watching = false;
        Win32Waits::Instance().remove(interruptEvent);
    }
    bool interrupted() const override { return interruptCount > 0; }
};

}  // namespace

namespace {

// Standard input read by a thread of its own, so that the program's thread waits for
// what it brings and for the console's event together: no kind of handle (a console, a
// pipe, a file) has a read that the event can end everywhere, Wine's included.
struct StdinReader {
    HANDLE ready = nullptr;  // set while `data` holds bytes or the input has ended
    CRITICAL_SECTION lock;
    std::string data;
    bool ended = false;
};

DWORD WINAPI ReadStdin(void* context) {
    auto& reader = *static_cast<StdinReader*>(context);
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
        char buffer[512];
        DWORD got = 0;
        const bool read = ::ReadFile(input, buffer, sizeof buffer, &got, nullptr) != FALSE;
        // A console read that Ctrl-C aborted is no end of input.
        if (!read && ::GetLastError() == ERROR_OPERATION_ABORTED) continue;
        ::EnterCriticalSection(&reader.lock);
        if (read && got > 0)
            reader.data.append(buffer, got);
        else
            reader.ended = true;
        ::SetEvent(reader.ready);
        const bool ended = reader.ended;
        ::LeaveCriticalSection(&reader.lock);
        if (ended) return 0;
    }
}

StdinReader* StartedReader() {
    static StdinReader* reader = [] {
        auto* made = new StdinReader;  // lives as long as the process: its thread may still read
        made->ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ::InitializeCriticalSection(&made->lock);
        if (!made->ready || !::CreateThread(nullptr, 0, ReadStdin, made, 0, nullptr)) made->ended = true;
        return made;
    }();
    return reader;
}

}  // namespace

std::optional<char> ReadStdinByte() {
    StdinReader& reader = *StartedReader();
    for (;;) {
        ::EnterCriticalSection(&reader.lock);
        if (!reader.data.empty()) {
            const char byte = reader.data.front();
            reader.data.erase(0, 1);
            ::LeaveCriticalSection(&reader.lock);
            return byte;
        }
        const bool ended = reader.ended || !reader.ready;
        if (!ended) ::ResetEvent(reader.ready);
        ::LeaveCriticalSection(&reader.lock);
        if (ended) return std::nullopt;
        if (!interruptEvent) {
            ::WaitForSingleObject(reader.ready, INFINITE);
            continue;
        }
        const HANDLE both[] = {interruptEvent, reader.ready};
        if (::WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0) return std::nullopt;
    }
}

std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void(Interrupt)> onInterrupt) {
    if (!interruptEvent) interruptEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!interruptEvent) return nullptr;
    return std::make_unique<Win32InterruptWatch>(std::move(onInterrupt));
}

}  // namespace vor
