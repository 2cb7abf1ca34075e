#pragma once
// One complete firmware update run of the connected DC: identity and version
// decision, profile backup, code upload, restart waits, verification, profile
// write-back, clock setting and the summary row of the task log.
//
// Contracts the steps rely on: every link command sets CommError on failure and
// only EnterDeepSleep clears it (at its start; set again only when the DC does not
// acknowledge), so wherever a failure is followed by EnterDeepSleep, the later
// tests of CommError see the deep-sleep result. All outcomes are in the task log
// and the WizardState flags. Every ending of a run passes through ResetStage
// (normal priority, Back enabled), either here or inside the upload, the profile
// backup or the verification.
//
// Hazard: WaitForReset and the link commands serve the event loop, so the window's
// Close can run inside a run; ProgramEnding thrown by a yield passes through.

#include <cstdint>

#include "firmware/FirmwareImage.h"
#include "firmware/UploadCode.h"
#include "link/CommModule.h"
#include "platform/EventPump.h"
#include "firmware/ProfileOperations.h"
#include "session/ClockArgument.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

// Restart waits after a closed section.
constexpr double RestartWaitOnlySection1 = 12.0;     // after the section of an OnlySection1 image
constexpr double RestartWaitSection2 = 45.0;         // after section 2 of either image kind
constexpr double RestartWaitBetweenSections = 10.0;  // after section 1 of a BothSections image

class FirmwareUpdater {
public:
    FirmwareUpdater(CommModule& link, WizardServices& wizard, WizardState& state, const FirmwareImage& image,
                    ProfileOperations& profile, EventPump& pump);

    // The whole run; called by the wizard with CommError clear, ProfileBackupNeeded
    // and ProfileIntact true and DeepSleepMode false.
    void UpdateFirmware();
    // Serves the event loop until more than `seconds` have passed.
    void WaitForReset(double seconds);
    // Reads the restarted DC's identity (and revision) and logs Msg::NewCodeVerified when the new code is in.
    void VerifyNewCode();

    // The DC's revision from the last ReadRevision; 0 at start, kept between runs.
    std::uint8_t DeviceRevision = 0;

private:
    enum class Decision { Refused, Current, Update };

    Decision DecideByVersion();
    void RefuseAndSleep(int icon, const std::string& text);
    void LogDcVersion();
    void UploadByImageKind();
    // Steps 14 to 17: profile write-back, clock, deep sleep, summary.
    void FinishRun();
    void SetClockNow();
    // Status Msg::Failed, the Msg::NoAnswer row, CommError, ResetStage.
    void ReportNoIdentity();
    std::string Text(std::int32_t number) { return wizard_.GetText(number); }
    bool RevisionInUse() const { return image_.ConfigRevision >= 1 && image_.ConfigRevision <= 99; }

    CommModule& link_;
    WizardServices& wizard_;
    WizardState& state_;
    const FirmwareImage& image_;
    ProfileOperations& profile_;
    EventPump& pump_;
    CodeUploader uploader_;
    // The new code did not get in (upload, restart or check failed). The summary must
    // not report success then, even when the final deep-sleep command cleared CommError.
    bool updateFailed_ = false;
};

}  // namespace vor
