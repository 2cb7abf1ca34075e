// The DC's lock on POSIX: flock on the lock file, the holder's process number in it.
#include "profile/DcLock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vor {
namespace {

constexpr int TakeTries = 3;  // a holder that just removed the file lets the next try win

int HolderIn(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? std::atoi(text) : 0;
}

bool StillNamed(int fd, const std::filesystem::path& file) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(file.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

}  // namespace

std::unique_ptr<DcLock> DcLock::Take(const std::filesystem::path& file, DcLockRefusal& refusal) {
    for (int i = 0; i < TakeTries; ++i) {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            refusal = {false, 0, std::strerror(errno)};
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            refusal = {true, HolderIn(fd), {}};
            ::close(fd);
            return nullptr;
        }
        // Locked a file its holder removed meanwhile: the lock of a name nobody finds.
        if (!StillNamed(fd, file)) {
            ::close(fd);
            continue;
        }
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
            // The lock holds without the number; only the other run's message is poorer.
        }
        return std::unique_ptr<DcLock>(new DcLock(file, fd));
    }
    refusal = {true, 0, {}};
    return nullptr;
}

DcLock::~DcLock() {
    // Removed while still locked: a run that opened it meanwhile sees it is gone and tries anew.
    ::unlink(file_.c_str());
    ::close(static_cast<int>(handle_));
}

}  // namespace vor
