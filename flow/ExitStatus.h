#pragma once
// What the program returns when it ends: the same for the window and the terminal.

namespace vor {

enum ExitStatus : int {
    ExitUpdated = 0,         // updated, the profile verified (or nothing asked of the DC yet)
    ExitFailed = 1,          // the update did not complete; the DC keeps its own profile
    ExitUsage = 2,           // bad command line
    ExitNothingChanged = 3,  // no cable, no answer, wrong model, image or texts refused, already current
    ExitProfileSaved = 4,    // the update failed; the profile is saved in a backup file
};

}  // namespace vor
