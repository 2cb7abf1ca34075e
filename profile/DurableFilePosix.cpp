// POSIX flavour of the durable write: write + fsync, rename, fsync of the folder.
#include "profile/DurableFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vor {
namespace {

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Writes, syncs and closes `fd`; false with `error` set on the first failure.
bool FillTemporary(int fd, std::span<const std::uint8_t> bytes, const WriteObserver& observer, std::string& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t piece = std::min(DurableWritePiece, bytes.size() - done);
        const ssize_t n = ::write(fd, bytes.data() + done, piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = SystemError("write");
            return false;
        }
        done += static_cast<std::size_t>(n);
        if (!WriteStepAllowed(observer, WriteStep::DataWritten, done)) {
            error = "write interrupted";
            return false;
        }
    }
    if (::fsync(fd) != 0) {
        error = SystemError("fsync");
        return false;
    }
    if (!WriteStepAllowed(observer, WriteStep::DataSynced, done)) {
        error = "sync interrupted";
        return false;
    }
    return true;
}

}  // namespace

WriteResult WriteFileDurably(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                             const WriteObserver& observer) {
    WriteResult result;
    const std::filesystem::path temp = TemporaryPathFor(target);
    // A leftover of a crash, or a link planted under the name: removing the name
    // never touches what a link points to, and the exclusive create below never
    // opens an existing file, so nothing is written through a link.
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
        result.error = SystemError("remove stale temporary file");
        return result;
    }
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        result.error = SystemError("open");
        return result;
    }
    bool filled = WriteStepAllowed(observer, WriteStep::TempCreated, 0);
    if (!filled) result.error = "create interrupted";
    if (filled) filled = FillTemporary(fd, bytes, observer, result.error);
    if (::close(fd) != 0 && filled) {
        filled = false;
        result.error = SystemError("close");
    }
    if (!filled) {
        ::unlink(temp.c_str());
        return result;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        result.error = SystemError("rename");
        ::unlink(temp.c_str());
        return result;
    }
    if (!WriteStepAllowed(observer, WriteStep::Replaced, bytes.size())) {
        result.error = "replace interrupted";
        return result;
    }
    // Without this the rename may still be lost to a power cut.
    if (!SyncFolder(target.parent_path()) || !WriteStepAllowed(observer, WriteStep::FolderSynced, bytes.size())) {
        result.error = SystemError("folder sync");
        return result;
    }
    result.ok = true;
    return result;
}

std::FILE* CreateNewFile(const std::filesystem::path& path, bool binary) {
    return std::fopen(path.c_str(), binary ? "wbx" : "wx");
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    // Non-blocking so that a FIFO under the name cannot hang the open; only a
    // regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<std::uint8_t> data;
    std::uint8_t buffer[DurableWritePiece];
    while (data.size() <= maxBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        data.insert(data.end(), buffer, buffer + n);
    }
    ::close(fd);
    return data;
}

}  // namespace vor
