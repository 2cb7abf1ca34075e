#pragma once
// The signals that end a terminal program, as events of the program's own loop. The
// first one is handed to `onInterrupt` from the event loop (a blocking read of the
// terminal returns early), so the close sequence runs between commands; a second one
// of any kind ends the program at once, as it usually does. A reader of the output
// that went away (SIGPIPE) does not end the program: its writes just fail.

#include <functional>
#include <memory>

namespace vor {

enum class Interrupt {
    CtrlC,      // the person at the terminal (SIGINT)
    Terminate,  // no person: a shell that hung up (SIGHUP), `kill` or `timeout` (SIGTERM)
};

class InterruptWatch {
public:
    virtual ~InterruptWatch() = default;
    virtual bool interrupted() const = 0;
};

// One per process; nothing is watched where the system offers no such signals.
std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void(Interrupt)> onInterrupt);

}  // namespace vor
