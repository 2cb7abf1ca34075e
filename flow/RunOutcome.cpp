#include "flow/RunOutcome.h"
#include "session/Utf8Path.h"

#include <algorithm>
#include <regex>
#include <system_error>

namespace vor {

std::vector<std::filesystem::path> PendingBackups(const std::filesystem::path& folder,
                                                  const std::filesystem::path& connectedDcBackup) {
    std::error_code ec;
    if (!connectedDcBackup.empty()) {
        if (std::filesystem::is_regular_file(connectedDcBackup, ec)) return {connectedDcBackup};
        return {};
    }
    static const std::regex BackupName(R"([0-9]+\.[0-9]{6,}\.bin)");
    std::vector<std::filesystem::path> found;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && std::regex_match(Utf8Of(it->path().filename()), BackupName))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

RunOutcome JudgeRun(const FirmwareReport& firmware, const ProfileReport& profile, bool hadProfile,
                    const std::vector<std::filesystem::path>& pending) {
    RunOutcome o;
    o.attempted = firmware.attempted;
    o.firmware = firmware.end;
    o.alreadyCurrent = firmware.alreadyCurrent;
    o.failedStep = firmware.end == FirmwareEnd::Failed ? firmware.failedStep : 0;
    o.choiceOpen = profile.choiceOpen;
    o.dcCopy = profile.dcCopy;
    if (!pending.empty()) {
        o.profile = ProfileEnd::Pending;
        o.pendingFile = pending.front();
    } else if (profile.writeBack == WriteBackEnd::Verified) {
        o.profile = ProfileEnd::Verified;
    } else if (!profile.setAside.empty()) {
        o.profile = ProfileEnd::SetAside;
        o.setAsideFile = profile.setAside;
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
        firmware = o.alreadyCurrent ? "The DC already had this firmware"
                   : o.attempted    ? "No code was sent to the DC"
                                    : "Nothing was sent to the DC";
        break;
    }
    switch (o.profile) {
    case ProfileEnd::Verified: return firmware + "; the DC's profile was written back and verified.";
    case ProfileEnd::Untouched: return firmware + "; the DC keeps its own profile.";
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
    case ProfileEnd::Unknown: break;
    }
    return firmware + ". Whether the DC still holds its profile is not known, and no saved copy was found.";
}

}  // namespace vor
