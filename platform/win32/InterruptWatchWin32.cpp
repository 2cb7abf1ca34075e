// Ctrl-C on a Windows console: the console's handler thread only signals an event; the
// event pump serves it between two commands, as the POSIX watch does with its pipe.
// A closed console window, a logoff or a shutdown is SIGTERM's counterpart: nobody is
// left to answer. Windows ends the process as soon as the handler returns (or a few
// seconds later), so the handler waits while the program's thread ends the run, writes
// the record and names the backup file; the program's exit ends that wait.

#include <windows.h>

#include <atomic>

#include "platform/InterruptWatch.h"
#include "platform/win32/ConsoleInput.h"
#include "platform/win32/Win32Waits.h"

namespace vor {

namespace {

HANDLE interruptEvent = nullptr;
HANDLE readingThread = nullptr;  // the program's thread, which reads the answers at a prompt
std::atomic<int> interruptCount = 0;
std::atomic<Interrupt> firstKind = Interrupt::CtrlC;
// The handler stays registered for the process once set: unregistering it takes the
// lock that the console holds while a handler runs, and this one may wait in there.
std::atomic<bool> watching = false;
bool registered = false;

bool EndsTheSession(DWORD type) {
    return type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
}

// A read of the console waits for Enter and does not see the event: it is cut short,
// so a prompt ends like the end of input and the pump serves the event next.
void CutShortTheRead() {
    if (readingThread) ::CancelSynchronousIo(readingThread);
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (!watching) return FALSE;  // the system's handling
    if (EndsTheSession(type)) {
        if (++interruptCount == 1) {
            firstKind = Interrupt::Terminate;
            ::SetEvent(interruptEvent);
            CutShortTheRead();
        }
        ::Sleep(INFINITE);
        return TRUE;
    }
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // A second Ctrl-C goes to the system's handler, which ends the program at once.
    if (++interruptCount > 1) return FALSE;
    ::SetEvent(interruptEvent);
    CutShortTheRead();
    return TRUE;
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
        if (!registered) registered = ::SetConsoleCtrlHandler(OnConsoleControl, TRUE) != FALSE;
    }
    ~Win32InterruptWatch() override {
        watching = false;
        Win32Waits::Instance().remove(interruptEvent);
    }
    bool interrupted() const override { return interruptCount > 0; }
};

}  // namespace

std::optional<char> ReadStdinByte() {
    constexpr DWORD PipePollMs = 50;  // a pipe cannot be waited for: how often it is looked at
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    const bool pipe = ::GetFileType(input) == FILE_TYPE_PIPE;
    DWORD mode = 0;
    const bool console = ::GetConsoleMode(input, &mode) != FALSE;
    const auto eventCame = [](DWORD ms) {
        return interruptEvent && ::WaitForSingleObject(interruptEvent, ms) == WAIT_OBJECT_0;
    };
    for (;;) {
        if (eventCame(0)) return std::nullopt;
        if (pipe) {
            DWORD available = 0;
            if (!::PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;  // closed
            if (available == 0) {
                if (eventCame(PipePollMs)) return std::nullopt;
                continue;
            }
        } else if (console && interruptEvent) {
            const HANDLE both[] = {interruptEvent, input};
            if (::WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0) return std::nullopt;
        }
        char byte = 0;
        DWORD got = 0;
        if (!::ReadFile(input, &byte, 1, &got, nullptr) || got == 0) {
            // A console read that Ctrl-C aborted is no end of input: the event follows.
            if (::GetLastError() == ERROR_OPERATION_ABORTED && console && !eventCame(1000)) continue;
            return std::nullopt;
        }
        return byte;
    }
}

std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void(Interrupt)> onInterrupt) {
    if (!interruptEvent) interruptEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!interruptEvent) return nullptr;
    if (!readingThread)
        ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &readingThread, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
    return std::make_unique<Win32InterruptWatch>(std::move(onInterrupt));
}

}  // namespace vor
