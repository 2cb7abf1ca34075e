#pragma once
// The terminal's profile commands (--info, --backup, --restore): the DC's saved profile
// looked at, saved or put back without an update. The flow leads the diver through the
// same pages as an update, then runs the task where the update would start.

#include <filesystem>
#include <string>

#include "flow/ExitStatus.h"

namespace vor {

enum class ProfileTaskKind { None, Info, Backup, Restore };

struct ProfileTask {
    ProfileTaskKind kind = ProfileTaskKind::None;
    std::filesystem::path file;  // --backup's (empty: a dated name) or --restore's
};

// How a task ended: the last line, the exit status and the files it is about.
struct TaskOutcome {
    int exit = ExitFailed;
    const char* result = "failed";  // info, saved, restored, failed, nothing-changed, profile-saved
    std::string message;
    std::filesystem::path file;     // the copy saved, or the file restored
    std::filesystem::path dcCopy;   // what the DC held before a restore
    std::filesystem::path pending;  // waits for its write-back after a restore that did not complete
};

// The DC was never read: nothing was written into it or saved.
TaskOutcome DcNotReadOutcome();
// `file` is in the DC, read back equal; `dcCopy` (may be empty) holds what it held before.
TaskOutcome RestoredOutcome(const std::filesystem::path& file, const std::filesystem::path& dcCopy);

}  // namespace vor
