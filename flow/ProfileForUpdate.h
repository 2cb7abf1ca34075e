#pragma once
// The profile keeper behind the operations the update sequence calls: the update and
// the profile code know nothing of each other; the application joins them here.

#include "firmware/ProfileOperations.h"
#include "profile/ProfileKeeper.h"

namespace vor {

class ProfileForUpdate : public ProfileOperations {
public:
    explicit ProfileForUpdate(ProfileKeeper& keeper) : keeper_(keeper) {}
    void BackupProfile() override { keeper_.BackupProfile(); }
    bool GetBackupProfile() override { return keeper_.GetBackupProfile(); }
    void RestoreProfile() override { keeper_.RestoreProfile(); }

private:
    ProfileKeeper& keeper_;
};

}  // namespace vor
