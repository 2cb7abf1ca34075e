#include "platform/win32/Win32EventPump.h"

#include <timeapi.h>

#include <algorithm>
#include <cmath>

namespace vor {

namespace {

// The system timer's 1 ms period: without it a wait ends on a 15.6 ms tick, and the
// DC's time-outs and the mandated waits would stretch by that much each.
constexpr UINT TimerPeriodMs = 1;

}  // namespace

Win32EventPump::Win32EventPump(Win32Waits& waits) : waits_(waits) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    ticksPerSecond_ = static_cast<double>(frequency.QuadPart);
    ::timeBeginPeriod(TimerPeriodMs);
}

Win32EventPump::~Win32EventPump() { ::timeEndPeriod(TimerPeriodMs); }

double Win32EventPump::now() {
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerSecond_;
}

void Win32EventPump::yieldUntil(double deadline) {
    if (ending_) throw ProgramEnding();
    // At least 1 ms, so a deadline already past still lets time move on.
    const double waitMs = std::clamp(std::ceil((deadline - now()) * 1000.0), 1.0, 3600000.0);
    waits_.waitOne(static_cast<DWORD>(waitMs));
    if (ending_) throw ProgramEnding();
}

void Win32EventPump::sleepFor(double seconds) {
    const double until = now() + seconds;
    while (now() < until) ::Sleep(static_cast<DWORD>(std::max(1.0, std::ceil((until - now()) * 1000.0))));
}

LocalTime Win32EventPump::localTime() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace vor
