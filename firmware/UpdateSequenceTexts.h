#pragma once
// Texts of the update and upload task-log rows that are not in the language database;
// the others are looked up by their Msg number through WizardServices::GetText.

#include <string>

#include "session/Messages.h"

namespace vor {

// Status of a running step.
inline const std::string RunningStatus = "...";

}  // namespace vor
