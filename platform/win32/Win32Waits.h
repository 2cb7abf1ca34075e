#pragma once
// What the program's one thread waits on between two steps of the flow: the serial
// port's read completion, Ctrl-C. Each source adds its event handle with what to do
// when it is signalled; the event pump waits on all of them at once.

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

    // Waits up to `milliseconds` for one of the handles and runs its handler. False when
    // the time ran out first.
    bool waitOne(DWORD milliseconds);

private:
    struct Entry {
        HANDLE event;
        Handler onSignalled;
    };
    std::vector<Entry> entries_;
};

}  // namespace vor
