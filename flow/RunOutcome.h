#pragma once
// What a run of the program came to, in one value: what became of the DC's firmware
// and of its profile. It is built from what the operations returned and from the
// backup files on disk, never from the task log's texts. The summary row, the attempt
// record, the terminal's last line, its exit status and its JSON outcome all read it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "firmware/UpdateSequence.h"
#include "profile/ProfileKeeper.h"

namespace vor {

enum class ProfileEnd {
    Verified,       // written back into the DC and read back equal
    Untouched,      // no code was sent and nothing was written: the DC keeps its own profile
    NothingToKeep,  // the DC's profile was empty
    Pending,        // it waits in pendingFile for a write-back
    SetAside,       // it was not written back; its saved copy lies in setAsideFile
    Damaged,        // its saved copy failed its check (damagedFile, damage) and was not written back
    Unknown,        // code was sent and no copy can be named
};

struct RunOutcome {
    bool attempted = false;  // an update run started
    FirmwareEnd firmware = FirmwareEnd::Unchanged;
    bool alreadyCurrent = false;
    std::int32_t failedStep = 0;  // message of the step that failed
    ProfileEnd profile = ProfileEnd::Untouched;
    std::filesystem::path pendingFile;
    std::filesystem::path setAsideFile;
    std::filesystem::path dcCopy;       // what the DC holds, saved while nobody chose
    bool choiceOpen = false;            // a person must choose between pendingFile and dcCopy
    std::filesystem::path damagedFile;  // a saved profile that failed its check, where it lies now
    std::string damage;                 // what was wrong with it
    std::filesystem::path backupLeft;   // verified, but this backup could not be removed
    std::string backupLeftWhy;
    std::string silentPort;        // the DC never answered the first page's identity query on this port
    bool sentToDeepSleep = false;  // before any attempt, the DC was told to go to Deep Sleep
};

// The backup file that waits for a write-back: the connected DC's, where the lookup
// found it. A run that never identified a DC names none: whatever lies in the folders
// may belong to another DC or another run; nor does a run whose DC another run holds.
// Close's recovery and the outcome both ask this, so they can never disagree.
std::optional<std::filesystem::path> PendingBackup(const ProfileReport& profile);

// `hadProfile`: the DC's profile had to be kept (it was not empty).
RunOutcome JudgeRun(const FirmwareReport& firmware, const ProfileReport& profile, bool hadProfile,
                    const std::optional<std::filesystem::path>& pending);

// The run ended as the diver wanted: the DC runs the image's firmware with its profile.
bool Succeeded(const RunOutcome& outcome);
// Nothing in the DC was changed.
bool NothingChanged(const RunOutcome& outcome);

// The outcome in one or two sentences (English, like the record's other lines);
// `stepText` names the failed step.
std::string OutcomeText(const RunOutcome& outcome, const std::string& stepText);

}  // namespace vor
