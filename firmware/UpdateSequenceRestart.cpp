// The restart wait and the check of the restarted DC.
#include <cmath>
#include <optional>

#include "firmware/UpdateSequence.h"
#include "firmware/UpdatePlan.h"
#include "firmware/ImageLoader.h"
#include "firmware/UpdateSequenceTexts.h"
#include "session/TextMarkers.h"

namespace vor {

void FirmwareUpdater::WaitForReset(double seconds) {
    wizard_.InsertTaskList(IconRunning, Text(Msg::WaitingForRestart), RunningStatus);
    const double start = pump_.now();
    // Ends at the first check after more than `seconds`, never at exactly `seconds`.
    do {
        pump_.yieldUntil(start + seconds);
    } while (!(std::fabs(pump_.now() - start) > seconds));
    wizard_.SetTaskStatus(Text(Msg::Done));
}

std::string FirmwareUpdater::NewCodeNotInText(const std::string& dcVersion) {
    const bool revisionChecked = !image_.OnlySection1();
    const auto versionText = [&](const std::string& version, std::uint8_t revision) {
        const std::optional<std::uint8_t> shown = revisionChecked ? std::optional(revision) : std::nullopt;
        return VersionWithRevision(version, shown);
    };
    return WithMarkers(Text(Msg::NewCodeNotIn), {versionText(dcVersion, DeviceRevision),
                                                 versionText(image_.ImageVersion, image_.ImageRevision)});
}

void FirmwareUpdater::VerifyNewCode() {
    wizard_.InsertTaskList(IconRunning, Text(Msg::CheckingNewCode), RunningStatus);
    if (!link_.ReadIdentity()) {
        ReportNoIdentity(Msg::CheckingNewCode);
        return;
    }
    wizard_.SetTaskStatus(Text(Msg::Done));
    if (!link_.ParseIdentity(image_.ModelName)) {
        wizard_.InsertTaskList(IconError, Text(Msg::WrongDcAfterRestart), "");
        state_.CommError = true;
        Fail(Msg::CheckingNewCode);
        link_.EnterDeepSleep();
        wizard_.ResetStage();
        return;
    }

    const std::string& dcVersion = link_.FirmwareVersion();
    bool newCodeIn = false;
    if (image_.OnlySection1()) {
        newCodeIn = dcVersion >= image_.ImageVersion;
    } else if (image_.OnlySection2()) {
        DeviceRevision = link_.ReadRevision();
        newCodeIn = DeviceRevision >= image_.ImageRevision;
    } else if (image_.BothSections()) {
        DeviceRevision = link_.ReadRevision();
        newCodeIn = dcVersion >= image_.ImageVersion && DeviceRevision >= image_.ImageRevision;
    }
    if (newCodeIn) {
        wizard_.InsertTaskList(IconInfo, Text(Msg::NewCodeVerified), "");
        report_.end = FirmwareEnd::Updated;
        report_.failedStep = 0;
    } else {
        // The DC still runs the old code: say what it reports and what was sent.
        Fail(Msg::CheckingNewCode);
        wizard_.InsertTaskList(IconError, NewCodeNotInText(dcVersion), "");
    }

    if (!state_.ProfileBackupNeeded) SetClockNow();
    wizard_.ResetStage();
}

}  // namespace vor
