#pragma once
// The one promise every end-to-end run is held to: the diver's profile is never lost.
//
// - A run (or a later recovery) that reports success (summary 786, or a write-back check
//   whose row ends "Done") leaves the DC's profile area (lines 256 to the end of the
//   area) and its header line 4 byte for byte as they were before the update, and
//   leaves no backup file that a later run could write back over newer dives.
// - Otherwise, when the DC no longer holds its profile, the backup file does (or, when
//   the diver gave it up, a set-aside file): read here with a reader of its own, not
//   the program's.
// - A profile that lives only in the backup file is flagged for the recovery at
//   Close, unless the program was ended before it could say so.
//
// An empty profile (equal pointers) has no lines to keep: the DC's pointers must
// still be equal afterwards.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/Harness.h"
#include "tools/dcsim/SimulatedDc.h"

namespace vor::e2e {

struct ProfileSnapshot {
    int memorySize = 512;
    std::vector<std::uint8_t> area;  // lines 256 .. last line of the profile area
    sim::Line header{};              // line 4
    bool empty = false;              // start pointer equals end pointer
};

ProfileSnapshot TakeProfile(const sim::SimulatedDc& dc);

// Whether the DC holds the profile of `before` now.
bool DcHoldsProfile(const ProfileSnapshot& before, const sim::SimulatedDc& dc);

// Empty when the backup file holds the profile of `before` for the DC with `serial`;
// otherwise why not.
std::string BackupFileProblem(const std::filesystem::path& file, const ProfileSnapshot& before, std::uint32_t serial);

enum class Verdict {
    Success,      // success reported and the profile is in the DC
    SafeFailure,  // failure (or nothing done); the profile is in the DC or in the backup file
    Broken,       // the promise was not kept
};

struct Judgement {
    Verdict verdict = Verdict::Broken;
    std::string why;  // for Broken
};

// `endedEarly`: the program was closed or killed in the middle of a step. Unless it was
// killed, what the run says it came to (exit status, last line, JSON outcome, attempt
// record) must agree with the DC's memory and the files on disk.
Judgement JudgeProfile(const ProfileSnapshot& before, Harness& h, bool endedEarly = false);
// The profile promise alone.
Judgement JudgeFiles(const ProfileSnapshot& before, Harness& h, bool endedEarly = false);
// Empty when the outcome tells the truth about the DC's memory and the files; otherwise why not.
std::string OutcomeProblem(const ProfileSnapshot& before, Harness& h);

// The verdict must not be Broken (and the run must not have hung); adds the task log to the failure.
void ExpectProfileKept(const ProfileSnapshot& before, Harness& h, bool endedEarly = false);

bool ReportsSuccess(const std::vector<LogRow>& log);

const char* VerdictName(Verdict v);

}  // namespace vor::e2e
