#pragma once
// The flags through which the flow, the link, the update and the profile code
// speak to each other. One object, owned by whoever builds the flow (the live
// program, a test), passed by reference.

#include <string>

namespace vor {

struct WizardState {
    int Stage = 1;                     // wizard stage, 1 at start
    bool DeepSleepMode = false;        // true selects the deep-sleep variant 0x55 of command 0xA8
    bool ProfileBackupNeeded = false;  // the profile must be saved before and restored after the upload
    bool CommError = false;            // the one failure flag of an update attempt
    bool ProfileIntact = true;         // false while a saved profile still waits to be written back
    int LanguageColumn = 1;            // column of the current language in the message table
    std::string FirmwarePath;          // the firmware image file: program folder and setup field 0
};

}  // namespace vor
