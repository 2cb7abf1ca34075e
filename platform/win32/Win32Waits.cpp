#include "platform/win32/Win32Waits.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace vor {

Win32Waits& Win32Waits::Instance() {
    static Win32Waits waits;
    return waits;
}

void Win32Waits::add(HANDLE event, Handler onSignalled) {
    remove(event);
    // One slot less when the message queue is waited on too.
    if (entries_.size() >= MAXIMUM_WAIT_OBJECTS - 1) throw std::length_error("too many handles to wait on");
    entries_.push_back({event, std::move(onSignalled)});
}

void Win32Waits::remove(HANDLE event) {
    std::erase_if(entries_, [event](const Entry& e) { return e.event == event; });
}

void Win32Waits::dispatchWindowMessages(MessageFilter filter) {
    windowMessages_ = true;
    filter_ = std::move(filter);
}

bool Win32Waits::waitOne(DWORD milliseconds) {
    std::vector<HANDLE> handles;
    for (const Entry& e : entries_) handles.push_back(e.event);
    const auto count = static_cast<DWORD>(handles.size());
    if (!windowMessages_) {
        if (handles.empty()) {
            ::Sleep(milliseconds);
            return false;
        }
        const DWORD woke = ::WaitForMultipleObjects(count, handles.data(), FALSE, milliseconds);
        if (woke == WAIT_TIMEOUT) return false;
        if (woke >= WAIT_OBJECT_0 + count)
            throw std::runtime_error("waiting for the serial port failed, error " + std::to_string(::GetLastError()));
        runHandlerOf(handles[woke - WAIT_OBJECT_0]);
        return true;
    }
    // MWMO_INPUTAVAILABLE: a message a modal loop has already peeked at still wakes us.
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, handles.empty() ? nullptr : handles.data(), milliseconds,
                                                     QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_TIMEOUT) return false;
    if (woke == WAIT_OBJECT_0 + count) {
        dispatchPendingMessages();
        return true;
    }
    if (woke > WAIT_OBJECT_0 + count)
        throw std::runtime_error("waiting for the serial port failed, error " + std::to_string(::GetLastError()));
    runHandlerOf(handles[woke - WAIT_OBJECT_0]);
    return true;
}

void Win32Waits::runHandlerOf(HANDLE signalled) {
    // A handler may add or remove sources: it runs from a copy.
    const auto entry =
        std::find_if(entries_.begin(), entries_.end(), [signalled](const Entry& e) { return e.event == signalled; });
    if (entry == entries_.end()) return;
    const Handler handler = entry->onSignalled;
    if (handler) handler();
}

void Win32Waits::dispatchPendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to take: left for the loop that waits for it.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (filter_ && filter_(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace vor
