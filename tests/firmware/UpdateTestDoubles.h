#pragma once
// Test doubles of the update and upload tests: the shared scripted DC and recording
// wizard, and a scripted profile keeper; all three write into one journal so tests
// can check the order of what happened.

#include "firmware/ProfileOperations.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"
#include "tests/support/Journal.h"
#include "tests/support/RecordingWizard.h"
#include "tests/support/ScriptedDc.h"

namespace vor::test {

// Stands in for the profile keeper.
class ScriptedProfile : public ProfileOperations {
public:
    ScriptedProfile(WizardState& state, WizardServices& wizard, Journal& journal)
        : state_(state), wizard_(wizard), journal_(journal) {}

    bool backupFails = false;   // the read-out fails: CommError, ResetStage
    bool profileEmpty = false;  // nothing to save: ProfileBackupNeeded cleared
    bool savedProfileFound = false;

    void BackupProfile() override;
    bool GetBackupProfile() override;
    void RestoreProfile() override;

private:
    WizardState& state_;
    WizardServices& wizard_;
    Journal& journal_;
};

}  // namespace vor::test
