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
// Hazard: WaitForReset and the link commands serve the event loop, so the user's
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

// What an update run did to the DC's firmware, from what its steps returned.
enum class FirmwareEnd {
    Unchanged,  // no code was sent (refused, already current, no answer, backup failed)
    Updated,    // code sent and the restarted DC reports the image's version and revision
    Failed,     // code was sent, but the new code is not known to be in
};

struct FirmwareReport {
    bool attempted = false;  // an update run has started
    FirmwareEnd end = FirmwareEnd::Unchanged;
    bool alreadyCurrent = false;  // the DC already runs the image's firmware
    std::int32_t failedStep = 0;  // the message of the step that failed, when end is Failed
    bool summaryDue = false;      // the run went through to its end (write-back, clock, deep sleep)
};

class FirmwareUpdater {
public:
    FirmwareUpdater(CommModule& link, WizardServices& wizard, WizardState& state, const FirmwareImage& image,
                    ProfileOperations& profile, EventPump& pump);

    // The whole run; called by the wizard with CommError clear, ProfileBackupNeeded
    // and ProfileIntact true and DeepSleepMode false. The summary row is the caller's:
    // it also knows what became of the profile.
    FirmwareReport UpdateFirmware();
    // What the current or last run has done so far: a run cut off by the program's end
    // leaves its report here.
    const FirmwareReport& report() const { return report_; }
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
    // The row when the restarted DC does not report the image's version and revision.
    std::string NewCodeNotInText(const std::string& dcVersion);
    void UploadByImageKind();
    // The end of a run: profile write-back, clock, deep sleep.
    void FinishRun();
    // Code is about to go out under `step`: from here a failure leaves the DC unknown.
    void SendingCode(std::int32_t step);
    void Fail(std::int32_t step);
    void SetClockNow();
    // Status Msg::Failed, the Msg::NoAnswer row, CommError, ResetStage; `step` failed.
    void ReportNoIdentity(std::int32_t step);
    std::string Text(std::int32_t number) { return wizard_.GetText(number); }

    CommModule& link_;
    WizardServices& wizard_;
    WizardState& state_;
    const FirmwareImage& image_;
    ProfileOperations& profile_;
    EventPump& pump_;
    CodeUploader uploader_;
    FirmwareReport report_;
};

}  // namespace vor
