// Ctrl-C on a Windows console: the console's handler thread only signals an event; the
// event pump serves it between two commands, as the POSIX watch does with its pipe.

#include <windows.h>

#include <atomic>

#include "platform/InterruptWatch.h"
#include "platform/win32/Win32Waits.h"

namespace vor {

namespace {

HANDLE interruptEvent = nullptr;
std::atomic<int> interruptCount = 0;

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // A second Ctrl-C goes to the system's handler, which ends the program at once.
    if (++interruptCount > 1) return FALSE;
    ::SetEvent(interruptEvent);
    return TRUE;
}

class Win32InterruptWatch : public InterruptWatch {
public:
    explicit Win32InterruptWatch(std::function<void(Interrupt)> onInterrupt) {
        Win32Waits::Instance().add(interruptEvent, [onInterrupt = std::move(onInterrupt)] {
            ::ResetEvent(interruptEvent);
            Win32Waits::Instance().remove(interruptEvent);  // the first Ctrl-C is served once
            if (onInterrupt) onInterrupt(Interrupt::CtrlC);
        });
        ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    }
    ~Win32InterruptWatch() override {
        ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
        Win32Waits::Instance().remove(interruptEvent);
    }
    bool interrupted() const override { return interruptCount > 0; }
};

}  // namespace

std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void(Interrupt)> onInterrupt) {
    if (!interruptEvent) interruptEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!interruptEvent) return nullptr;
    return std::make_unique<Win32InterruptWatch>(std::move(onInterrupt));
}

}  // namespace vor
