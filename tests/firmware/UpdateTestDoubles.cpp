#include "tests/firmware/UpdateTestDoubles.h"

namespace vor::test {

void ScriptedProfile::BackupProfile() {
    journal_.push_back("BackupProfile");
    if (backupFails) {
        wizard_.InsertTaskList(IconError, "backup failed", "");
        state_.CommError = true;
        wizard_.ResetStage();
    } else if (profileEmpty) {
        state_.ProfileBackupNeeded = false;
    }
}

bool ScriptedProfile::GetBackupProfile() {
    journal_.push_back("GetBackupProfile");
    return savedProfileFound;
}

void ScriptedProfile::RestoreProfile() {
    journal_.push_back("RestoreProfile");
    state_.CommError = false;
    state_.ProfileIntact = true;
}

}  // namespace vor::test
