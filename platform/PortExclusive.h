#pragma once
// Holding an open serial port for this run alone. A lock file named after the port
// does not see the same device reached through another name (a symlink such as
// /dev/serial/by-id/...), and TIOCEXCL does not stop root; a lock on the open device
// itself does both.

#include <string>

namespace vor {

// Takes an exclusive flock on the port's open descriptor and sets TIOCEXCL. False
// with `why` set when another process holds the port's lock; the descriptor stays
// open (the caller closes it). Where the system has neither, it always succeeds.
bool HoldPortExclusively(int fd, std::string& why);

}  // namespace vor
