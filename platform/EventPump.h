#pragma once
// The single thread's view of time and of the event loop. The link, firmware and
// profile code reach the outside world only through this and SerialPort, so every
// operation runs in a test on a fake clock.

#include <stdexcept>

namespace vor {

// Calendar date and time of day of the local clock (for the task log and the DC clock).
struct LocalTime {
    int year = 2000;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;
    int second = 0;
};

// Thrown out of a yield once the program has been told to end while an operation
// was waiting: the stack of waiting operations unwinds to the window's handler.
struct ProgramEnding : std::exception {
    const char* what() const noexcept override { return "program ending"; }
};

class EventPump {
public:
    virtual ~EventPump() = default;

    // Monotonic seconds; never jumps back, unaffected by midnight or clock changes.
    virtual double now() = 0;

    // Serves pending events (received serial data, clicks) and blocks until one has
    // been served or the monotonic time `deadline` has passed, whichever comes first.
    // Always lets some time pass, so a loop that yields with a deadline already past
    // still makes progress. Never spins a core. Throws ProgramEnding once the program
    // is ending.
    virtual void yieldUntil(double deadline) = 0;

    // Waits the given seconds without serving any event (a sleep, not a spin).
    virtual void sleepFor(double seconds) = 0;

    // The local calendar time now.
    virtual LocalTime localTime() = 0;
};

}  // namespace vor
