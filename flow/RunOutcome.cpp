#include "flow/RunOutcome.h"
#include "session/Utf8Path.h"

#include <algorithm>
#include <regex>
#include <system_error>

namespace vor {

std::optional<std::filesystem::path> PendingBackup(const ProfileReport& profile) {
    std::error_code ec;
    if (profile.dcHeldElsewhere || profile.backupFile.empty() ||
        !std::filesystem::is_regular_file(profile.backupFile, ec))
        return std::nullopt;
    return profile.backupFile;
}

RunOutcome JudgeRun(const FirmwareReport& firmware, const ProfileReport& profile, bool hadProfile,
                    const std::optional<std::filesystem::path>& pending) {
    RunOutcome o;
    o.attempted = firmware.attempted;
    o.firmware = firmware.end;
    o.alreadyCurrent = firmware.alreadyCurrent;
    o.failedStep = firmware.end == FirmwareEnd::Failed ? firmware.failedStep : 0;
    o.choiceOpen = profile.choiceOpen;
    o.dcCopy = profile.dcCopy;
    o.damagedFile = profile.damagedFile;
    o.damage = profile.damage;
    const bool verified = profile.writeBack == WriteBackEnd::Verified;
    if (verified && !profile.backupLeft.empty() && pending == profile.backupLeft) {
        // Written back and read back equal: the file left behind waits for nothing.
        o.profile = ProfileEnd::Verified;
        o.backupLeft = profile.backupLeft;
        o.backupLeftWhy = profile.backupLeftWhy;
    } else if (pending) {
        o.profile = ProfileEnd::Pending;
        o.pendingFile = *pending;
    } else if (profile.writeBack == WriteBackEnd::Verified) {
        o.profile = ProfileEnd::Verified;
    } else if (!profile.setAside.empty()) {
        o.profile = ProfileEnd::SetAside;
        o.setAsideFile = profile.setAside;
    } else if (!o.damagedFile.empty() && !verified) {
        // The DC may lack what only that file held: never a success, never "nothing changed".
        o.profile = ProfileEnd::Damaged;
    } else if (firmware.end == FirmwareEnd::Unchanged && profile.writeBack == WriteBackEnd::None) {
        o.profile = ProfileEnd::Untouched;
    } else if (!hadProfile) {
        o.profile = ProfileEnd::NothingToKeep;
    } else {
        o.profile = ProfileEnd::Unknown;
    }
    if (o.profile != ProfileEnd::Pending) o.choiceOpen = false;  // the file it was about has gone
    return o;
}

bool Succeeded(const RunOutcome& o) {
    if (!o.damagedFile.empty()) return false;  // a saved profile could not be proven: somebody must look
    const bool profileIn = o.profile == ProfileEnd::Verified || o.profile == ProfileEnd::NothingToKeep;
    if (o.firmware == FirmwareEnd::Updated) return profileIn;
    return o.firmware == FirmwareEnd::Unchanged && o.alreadyCurrent && o.profile == ProfileEnd::Verified;
}

bool NothingChanged(const RunOutcome& o) {
    return o.firmware == FirmwareEnd::Unchanged &&
           (o.profile == ProfileEnd::Untouched || o.profile == ProfileEnd::NothingToKeep);
}

std::string OutcomeText(const RunOutcome& o, const std::string& stepText) {
    std::string firmware;
    switch (o.firmware) {
    case FirmwareEnd::Updated: firmware = "The DC has its new firmware"; break;
    case FirmwareEnd::Failed:
        firmware = "The update did not complete" + (stepText.empty() ? std::string() : " (at: " + stepText + ")");
        break;
    case FirmwareEnd::Unchanged:
        firmware = o.alreadyCurrent    ? "The DC already had this firmware"
                   : o.attempted       ? "No code was sent to the DC"
                   : o.sentToDeepSleep ? "Only the command to go to Deep Sleep was sent to the DC (its buttons wake it)"
                                       : "Nothing was sent to the DC";
        if (!o.attempted && !o.silentPort.empty())
            firmware += ": the DC did not answer on " + o.silentPort +
                        ". Check that the DC shows its PC screen, that the interface cable is clipped on firmly "
                        "and that it is the DC's cable";
        break;
    }
    switch (o.profile) {
    case ProfileEnd::Verified:
        if (!o.damagedFile.empty())
            return firmware + "; the DC's profile was written back and verified. An older saved profile, " +
                   Utf8Of(o.damagedFile) + ", is damaged (" + o.damage +
                   ") and was not written into the DC. Keep the file and send it to support.";
        if (!o.backupLeft.empty())
            return firmware + "; the DC's profile was written back and verified. Its backup file " +
                   Utf8Of(o.backupLeft) + " could not be removed (" + o.backupLeftWhy +
                   "): it holds the same profile, and a later run that finds it writes it back again.";
        return firmware + "; the DC's profile was written back and verified.";
    case ProfileEnd::Untouched:
        // A DC that never answered may hold anything: only this run's part is known.
        if (!o.silentPort.empty()) return firmware + "; this run changed nothing in the DC.";
        return firmware + "; the DC keeps its own profile.";
    case ProfileEnd::NothingToKeep: return firmware + "; the DC had no profile to keep.";
    case ProfileEnd::Pending:
        if (o.choiceOpen)
            return firmware + ". The DC holds another profile than the one saved in " + Utf8Of(o.pendingFile) +
                   "; what it holds is saved in " + Utf8Of(o.dcCopy) +
                   ". A person must choose which one the DC keeps: run the program again and choose.";
        return firmware + ". The DC's profile is saved in " + Utf8Of(o.pendingFile) +
               ". Keep the DC on the cable and run the program again to write it back.";
    case ProfileEnd::SetAside:
        return firmware + ". The DC's profile was not written back: its saved copy was set aside as " +
               Utf8Of(o.setAsideFile) + ".";
    case ProfileEnd::Damaged:
        return firmware + ". The saved profile " + Utf8Of(o.damagedFile) + " is damaged (" + o.damage +
               ") and was not written into the DC: the DC may lack dives that only that file held. Keep the file and "
               "send it to support.";
    case ProfileEnd::Unknown: break;
    }
    return firmware + ". Whether the DC still holds its profile is not known, and no saved copy was found.";
}

}  // namespace vor
