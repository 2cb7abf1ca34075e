// Windows flavour of the durable write: write-through temporary file, flushed, then
// a write-through replace of the target.
#include "profile/DurableFile.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>

namespace vor {
namespace {

std::string SystemError(const char* what) { return std::string(what) + ": error " + std::to_string(GetLastError()); }

}  // namespace

WriteResult WriteFileDurably(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                             const WriteObserver& observer) {
    WriteResult result;
    const std::filesystem::path temp = TemporaryPathFor(target);
    // A leftover or a planted hard link is removed by name first; CREATE_NEW then
    // never opens an existing file, so nothing is written through a link.
    if (!DeleteFileW(temp.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        result.error = SystemError("DeleteFile");
        return result;
    }
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result.error = SystemError("CreateFile");
        return result;
    }
    bool filled = WriteStepAllowed(observer, WriteStep::TempCreated, 0);
    if (!filled) result.error = "create interrupted";
    std::size_t done = 0;
    while (filled && done < bytes.size()) {
        const auto piece = static_cast<DWORD>(std::min(DurableWritePiece, bytes.size() - done));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, piece, &written, nullptr) || written == 0) {
            result.error = SystemError("WriteFile");
            filled = false;
            break;
        }
        done += written;
        if (!WriteStepAllowed(observer, WriteStep::DataWritten, done)) {
            result.error = "write interrupted";
            filled = false;
        }
    }
    if (filled && !FlushFileBuffers(file)) {
        result.error = SystemError("FlushFileBuffers");
        filled = false;
    }
    if (filled && !WriteStepAllowed(observer, WriteStep::DataSynced, done)) {
        result.error = "sync interrupted";
        filled = false;
    }
    CloseHandle(file);
    if (!filled) {
        DeleteFileW(temp.c_str());
        return result;
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result.error = SystemError("MoveFileEx");
        DeleteFileW(temp.c_str());
        return result;
    }
    if (!WriteStepAllowed(observer, WriteStep::Replaced, bytes.size()) ||
        !WriteStepAllowed(observer, WriteStep::FolderSynced, bytes.size())) {
        result.error = "replace interrupted";
        return result;
    }
    result.ok = true;
    return result;
}

std::FILE* CreateNewFile(const std::filesystem::path& path, bool binary) {
    // By the UTF-16 name: the C library's fopen takes the 8-bit code page and knows no "x".
    const int fd =
        _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | (binary ? _O_BINARY : _O_TEXT), _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, binary ? "wb" : "w");
    if (!file) _close(fd);
    return file;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    // Only a file on a disk is read; a device name ("CON", a pipe) could block.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return std::nullopt;
    }
    std::vector<std::uint8_t> data;
    std::uint8_t buffer[DurableWritePiece];
    while (data.size() <= maxBytes) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            CloseHandle(file);
            return std::nullopt;
        }
        if (got == 0) break;
        data.insert(data.end(), buffer, buffer + got);
    }
    CloseHandle(file);
    return data;
}

}  // namespace vor
