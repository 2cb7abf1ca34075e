#pragma once
// The DC is being written from the moment the sleep inhibitor's hold is taken until it
// is released (the update, the recovery). Windows asks a program's window before a
// shutdown or logoff; the window that answers watches here.

#include <functional>

namespace vor {

bool WriteInProgress();

// `watcher` hears true when a write starts and false when it ends; one at a time,
// empty to stop.
void WatchWrites(std::function<void(bool writing)> watcher);

}  // namespace vor
