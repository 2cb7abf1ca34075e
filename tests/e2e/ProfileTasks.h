#pragma once
// The terminal's profile commands driven as a diver does, for the scenario rows and
// the fault sweep.

#include <filesystem>
#include <string>
#include <vector>

#include "flow/ProfileTask.h"
#include "tests/e2e/Harness.h"

namespace vor::e2e {

// A start of the program for `task`; answers and triggers are set on it after this.
void Begin(Harness& h, ProfileTask task);
// Next until the task has run: through the Deep Sleep page of an older DC, and
// with the DC woken into its PC screen again when the first page got no answer.
void Proceed(Harness& h);
void RunTask(Harness& h, ProfileTask task);
// The backup folder's files whose names hold `mark` (".saved-", ".set-aside-"), by name.
std::vector<std::filesystem::path> FilesLike(Harness& h, const std::string& mark);
// The diver dives: every line of the DC's profile changes.
void DiveWith(Harness& h);

}  // namespace vor::e2e
