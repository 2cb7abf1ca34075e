#pragma once
// Ctrl-C as an event of the program's own loop: the first one is handed to
// `onInterrupt` from the event loop (a blocking read of the terminal returns
// early), so the close sequence runs between commands; a second one ends the
// program at once, as Ctrl-C usually does.

#include <functional>
#include <memory>

namespace vor {

class InterruptWatch {
public:
    virtual ~InterruptWatch() = default;
    virtual bool interrupted() const = 0;
};

// One per process; nothing is watched where the system offers no such signal.
std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void()> onInterrupt);

}  // namespace vor
