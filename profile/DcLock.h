#pragma once
// One run per DC: the lock file "<model>.<serial>.lock" beside the DC's backups, held
// from the moment the DC's serial number is known until the run ends. Two runs that
// share a backup folder (two cables, two copies of the program) then never write the
// same DC or its backup file at the same time.
//
// The lock is the system's lock on the open file (flock, LockFileEx), so a run that
// crashed holds nothing; the file carries the holder's process number for the other
// run's message.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace vor {

struct DcLockRefusal {
    bool held = false;  // another process holds the lock; false: the file could not be made (why says so)
    int pid = 0;        // the holder, as its file says; 0 when unknown
    std::string why;    // the system's reason when the file could not be made
};

class DcLock {
public:
    // The lock, or nothing with `refusal` filled in.
    static std::unique_ptr<DcLock> Take(const std::filesystem::path& file, DcLockRefusal& refusal);
    // Releases the lock and removes its file.
    ~DcLock();
    DcLock(const DcLock&) = delete;
    DcLock& operator=(const DcLock&) = delete;

    const std::filesystem::path& file() const { return file_; }

private:
    DcLock(std::filesystem::path file, std::intptr_t handle) : file_(std::move(file)), handle_(handle) {}
    std::filesystem::path file_;
    std::intptr_t handle_;  // the open file of this system
};

// "<modelNumber>.<serialText>.lock"
std::string DcLockFileName(int modelNumber, const std::string& serialText);

// What the diver is told when another run holds the DC.
std::string DcHeldText(const DcLockRefusal& refusal, const std::filesystem::path& file);

}  // namespace vor
