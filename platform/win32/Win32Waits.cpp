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
    if (entries_.size() >= MAXIMUM_WAIT_OBJECTS) throw std::length_error("too many handles to wait on");
    entries_.push_back({event, std::move(onSignalled)});
}

void Win32Waits::remove(HANDLE event) {
    std::erase_if(entries_, [event](const Entry& e) { return e.event == event; });
}

bool Win32Waits::waitOne(DWORD milliseconds) {
    if (entries_.empty()) {
        ::Sleep(milliseconds);
        return false;
    }
    std::vector<HANDLE> handles;
    for (const Entry& e : entries_) handles.push_back(e.event);
    const DWORD woke =
        ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, milliseconds);
    if (woke == WAIT_TIMEOUT) return false;
    if (woke >= WAIT_OBJECT_0 + handles.size())
        throw std::runtime_error("waiting for the serial port failed, error " + std::to_string(::GetLastError()));
    const HANDLE signalled = handles[woke - WAIT_OBJECT_0];
    // A handler may add or remove sources: it runs from a copy.
    const auto entry =
        std::find_if(entries_.begin(), entries_.end(), [signalled](const Entry& e) { return e.event == signalled; });
    if (entry == entries_.end()) return true;
    const Handler handler = entry->onSignalled;
    if (handler) handler();
    return true;
}

}  // namespace vor
