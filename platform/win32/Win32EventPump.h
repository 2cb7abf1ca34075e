#pragma once
// The event pump of the Windows terminal program: one wait on every handle of
// Win32Waits (the serial port, Ctrl-C) with the yield's deadline as its time-out, so
// the thread sleeps in the kernel between events. The clock is QueryPerformanceCounter.

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

    // After this, every yield throws ProgramEnding so waiting operations unwind.
    void endProgram() { ending_ = true; }
    bool ending() const { return ending_; }

private:
    Win32Waits& waits_;
    double ticksPerSecond_ = 1.0;
    bool ending_ = false;
};

}  // namespace vor
