#include "platform/PortExclusive.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <sys/file.h>
#include <sys/ioctl.h>
#endif

namespace vor {

bool HoldPortExclusively([[maybe_unused]] int fd, [[maybe_unused]] std::string& why) {
#ifndef _WIN32
    // The lock belongs to the device's node, whatever name opened it; it goes with the
    // descriptor, so a crashed run leaves nothing behind.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        why = errno == EWOULDBLOCK ? "the port is held by another process" : std::strerror(errno);
        return false;
    }
#ifdef TIOCEXCL
    // Later opens fail with EBUSY for everyone but root; a pseudo-terminal may refuse it.
    ::ioctl(fd, TIOCEXCL);
#endif
#endif
    return true;
}

}  // namespace vor
