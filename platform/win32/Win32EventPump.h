#pragma once
// The event pump of the Windows program: one wait on every handle of Win32Waits (the
// serial port, Ctrl-C; the message queue once a window asks for it) with the yield's
// deadline as its time-out, so the thread sleeps in the kernel between events. The
// clock is QueryPerformanceCounter.

#include <utility>

#include "platform/EventPump.h"
#include "platform/win32/Win32Waits.h"

namespace vor {

class Win32EventPump : public EventPump {
public:
    explicit Win32EventPump(Win32Waits& waits = Win32Waits::Instance());
    ~Win32EventPump() override;
    Win32EventPump(const Win32EventPump&) = delete;
    Win32EventPump& operator=(const Win32EventPump&) = delete;

    double now() override;
    void yieldUntil(double deadline) override;
    void sleepFor(double seconds) override;
    LocalTime localTime() override;

    // The window's messages are dispatched inside every yield from now on.
    void dispatchWindowMessages(Win32Waits::MessageFilter filter) { waits_.dispatchWindowMessages(std::move(filter)); }

    // After this, every yield throws ProgramEnding so waiting operations unwind.
    void endProgram() { ending_ = true; }
    bool ending() const { return ending_; }

private:
    Win32Waits& waits_;
    double ticksPerSecond_ = 1.0;
    bool ending_ = false;
};

}  // namespace vor
