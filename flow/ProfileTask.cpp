#include "flow/ProfileTask.h"

#include "session/Utf8Path.h"

namespace vor {

TaskOutcome DcNotReadOutcome() {
    return {ExitFailed, "failed", "The DC could not be read: nothing was written into it or saved.", {}, {}, {}};
}

TaskOutcome RestoredOutcome(const std::filesystem::path& file, const std::filesystem::path& dcCopy) {
    std::string message = "The saved profile " + Utf8Of(file) + " is in the DC, every block read back equal.";
    if (!dcCopy.empty()) message += " What the DC held before is saved in " + Utf8Of(dcCopy) + ".";
    return {ExitUpdated, "restored", message, file, dcCopy, {}};
}

}  // namespace vor
