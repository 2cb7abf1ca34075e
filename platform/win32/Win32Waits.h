#pragma once
// What the program's one thread waits on between two steps of the flow: the serial
// port's read completion, Ctrl-C and, for the window, the thread's message queue.
// Each source adds its event handle with what to do when it is signalled; the event
// pump waits on all of them at once.

#include <windows.h>

#include <functional>
#include <vector>

namespace vor {

class Win32Waits {
public:
    using Handler = std::function<void()>;

    // The process's one set (the thread that runs the flow is the only one that waits).
    static Win32Waits& Instance();

    void add(HANDLE event, Handler onSignalled);
    void remove(HANDLE event);

    // The window's messages: from now on a wait also wakes for the thread's message
    // queue and dispatches every pending message, so the window repaints and its
    // buttons work while the flow waits. `filter` sees each message first and returns
    // true when it has handled it (keyboard navigation). The terminal never calls this.
    using MessageFilter = std::function<bool(MSG&)>;
    void dispatchWindowMessages(MessageFilter filter);

    // Waits up to `milliseconds` for one of the handles and runs its handler, or for
    // window messages and dispatches them. False when the time ran out first.
    bool waitOne(DWORD milliseconds);

private:
    struct Entry {
        HANDLE event;
        Handler onSignalled;
    };
    void runHandlerOf(HANDLE signalled);
    void dispatchPendingMessages();
    std::vector<Entry> entries_;
    bool windowMessages_ = false;
    MessageFilter filter_;
};

}  // namespace vor
