// The DC's lock on Windows: LockFileEx on a byte far past the text, so the holder's
// process number at the start stays readable for the run that is refused.
#include "profile/DcLock.h"

#include <windows.h>

#include <cstdlib>

namespace vor {
namespace {

constexpr DWORD LockedOffset = 0x40000000;

bool LockByte(HANDLE h) {
    OVERLAPPED at = {};
    at.Offset = LockedOffset;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

int HolderIn(HANDLE h) {
    char text[32] = {};
    DWORD n = 0;
    OVERLAPPED at = {};
    if (!ReadFile(h, text, sizeof text - 1, &n, &at)) return 0;
    return std::atoi(text);
}

}  // namespace

std::unique_ptr<DcLock> DcLock::Take(const std::filesystem::path& file, DcLockRefusal& refusal) {
    HANDLE h =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        refusal = {false, 0, "error " + std::to_string(GetLastError())};
        return nullptr;
    }
    if (!LockByte(h)) {
        refusal = {true, HolderIn(h), {}};
        CloseHandle(h);
        return nullptr;
    }
    const std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    SetEndOfFile(h);
    WriteFile(h, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    return std::unique_ptr<DcLock>(new DcLock(file, reinterpret_cast<std::intptr_t>(h)));
}

DcLock::~DcLock() {
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    // Removed while still locked; a run that has it open keeps it until it closes it.
    DeleteFileW(file_.c_str());
    CloseHandle(h);
}

}  // namespace vor
