// The hook where the DC's serial number becomes known: from then on this run holds
// the DC's lock, or leaves the DC to the run that holds it.
#include "profile/ProfileKeeper.h"

namespace vor {

bool ProfileKeeper::HoldConnectedDc() {
    const std::filesystem::path file = folders_.primary / DcLockFileName(image_.ModelNumber, serialText_);
    if (dcLock_ && dcLock_->file() == file) return true;
    dcLock_.reset();  // another DC is on the cable now
    DcLockRefusal refusal;
    dcLock_ = DcLock::Take(file, refusal);
    report_.dcHeldElsewhere = refusal.held;
    // A lock file that cannot be made (a read-only or full folder) keeps nobody out:
    // the backup fails there anyway and says why, and no code goes out without it.
    if (!refusal.held) return true;
    heldText_ = DcHeldText(refusal, file);
    return false;
}

}  // namespace vor
