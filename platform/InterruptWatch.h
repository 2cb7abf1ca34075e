#pragma once
// The signals that end a terminal program, as events of the program's own loop. Each
// one is handed to `onInterrupt` from the event loop (a blocking read of the terminal
// returns early), so the close sequence runs between commands, and a second one can
// end the run at once with its attempt record. Where the loop is not served any more,
// a further one ends the program as it usually does (POSIX: the third; Windows: the
// second). A reader of the output that went away (SIGPIPE) does not end the program:
// its writes just fail.

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
    // Signals received so far, also those the loop has not served yet.
    virtual int count() const { return interrupted() ? 1 : 0; }
};

// One per process; nothing is watched where the system offers no such signals.
std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void(Interrupt)> onInterrupt);

}  // namespace vor
