#include "firmware/UpdateSequence.h"

#include <optional>

#include "firmware/ImageLoader.h"
#include "firmware/UpdatePlan.h"
#include "firmware/UpdateSequenceTexts.h"
#include "link/ClockRecord.h"

namespace vor {

FirmwareUpdater::FirmwareUpdater(CommModule& link, WizardServices& wizard, WizardState& state,
                                 const FirmwareImage& image, ProfileOperations& profile, EventPump& pump)
    : link_(link),
      wizard_(wizard),
      state_(state),
      image_(image),
      profile_(profile),
      pump_(pump),
      uploader_(link, wizard, state, image) {}

FirmwareReport FirmwareUpdater::UpdateFirmware() {
    report_ = FirmwareReport{};
    report_.attempted = true;
    wizard_.SetProcessPriority(PriorityRealtime);
    wizard_.InsertTaskList(IconRunning, Text(Msg::CheckingDc), RunningStatus);

    if (!link_.ReadIdentity()) {
        ReportNoIdentity(Msg::CheckingDc);
        return report_;
    }
    wizard_.SetTaskStatus(Text(Msg::Done));
    if (!link_.ParseIdentity(image_.ModelName)) {
        wizard_.InsertTaskList(IconError, Text(Msg::NotForThisDc) + image_.DeviceName + "!", "");
        state_.CommError = true;
        wizard_.ResetStage();
        return report_;
    }
    if (RevisionInUse(image_)) DeviceRevision = link_.ReadRevision();

    switch (DecideByVersion()) {
    case Decision::Refused: return report_;
    case Decision::Current:
        report_.alreadyCurrent = true;
        wizard_.InsertTaskList(IconInfo, Text(Msg::AlreadyCurrent), "");
        if (state_.ProfileBackupNeeded && profile_.GetBackupProfile()) {
            state_.ProfileIntact = false;  // pending until written back, as after a backup
            FinishRun();
            // An idle program must not stay at real-time priority with Back disabled.
            wizard_.ResetStage();
            return report_;
        }
        state_.ProfileBackupNeeded = false;
        wizard_.ResetStage();
        link_.EnterDeepSleep();
        return report_;
    case Decision::Update: break;
    }

    wizard_.SetTaskStatus(Text(Msg::Done));
    LogDcVersion();
    if (state_.ProfileBackupNeeded) profile_.BackupProfile();
    // From a saved backup on the write-back is pending: a Close in the middle of the
    // run then offers the recovery instead of ending with the profile only in the file
    // (where a later run would write it over newer dives). FinishRun settles the flag.
    if (state_.ProfileBackupNeeded && !state_.CommError) state_.ProfileIntact = false;
    // A failed backup has logged itself; the upload is skipped, the run still ends below.
    if (!state_.CommError) UploadByImageKind();
    FinishRun();
    return report_;
}

void FirmwareUpdater::SendingCode(std::int32_t step) {
    report_.end = FirmwareEnd::Failed;  // until the restarted DC shows the new code
    report_.failedStep = step;
}

void FirmwareUpdater::Fail(std::int32_t step) {
    if (report_.end == FirmwareEnd::Unchanged) return;  // nothing was sent: nothing failed in the DC
    report_.end = FirmwareEnd::Failed;
    report_.failedStep = step;
}

FirmwareUpdater::Decision FirmwareUpdater::DecideByVersion() {
    switch (PlanUpdate(image_, link_.FirmwareVersion(), DeviceRevision)) {
    case UpdatePlan::Update: return Decision::Update;
    case UpdatePlan::Current: return Decision::Current;
    case UpdatePlan::TooOld:
        RefuseAndSleep(IconError, Text(Msg::NotForThisDc) + image_.DeviceName + ", " + Text(Msg::Version) + " " +
                                      image_.MinimumVersion + " " + Text(Msg::UpdateFirst));
        return Decision::Refused;
    case UpdatePlan::NewerThanImage:
        // The DC is newer than the image: going back is not allowed.
        RefuseAndSleep(IconInfo, Text(Msg::AlreadyCurrent));
        return Decision::Refused;
    case UpdatePlan::NoImage: break;
    }
    // No image loaded: nothing may be sent to the DC.
    wizard_.InsertTaskList(IconError, Text(Msg::DataRefused), "");
    state_.CommError = true;
    wizard_.ResetStage();
    return Decision::Refused;
}

void FirmwareUpdater::RefuseAndSleep(int icon, const std::string& text) {
    wizard_.InsertTaskList(icon, text, "");
    state_.CommError = true;
    link_.EnterDeepSleep();
    wizard_.ResetStage();
}

void FirmwareUpdater::LogDcVersion() {
    const std::optional<std::uint8_t> revision =
        RevisionInUse(image_) ? std::optional<std::uint8_t>(DeviceRevision) : std::nullopt;
    wizard_.InsertTaskList(
        IconInfo, VersionRowText(image_.DeviceName, Text(Msg::Version), link_.FirmwareVersion(), revision), "");
}

void FirmwareUpdater::UploadByImageKind() {
    if (image_.OnlySection1()) {
        SendingCode(Msg::UploadingCode);
        uploader_.UploadCode();
        if (state_.CommError) return;
        WaitForReset(RestartWaitOnlySection1);
        VerifyNewCode();
    } else if (image_.OnlySection2()) {
        SendingCode(Msg::UploadingCode);
        uploader_.UploadCode2();
        if (state_.CommError) return;
        WaitForReset(RestartWaitSection2);
        VerifyNewCode();
    } else if (image_.BothSections()) {
        SendingCode(Msg::UploadingSection1);
        uploader_.UploadCode();
        if (state_.CommError) return;
        WaitForReset(RestartWaitBetweenSections);
        if (!link_.ReadIdentity()) {
            ReportNoIdentity(Msg::WaitingForRestart);
            return;
        }
        SendingCode(Msg::UploadingSection2);
        uploader_.UploadCode2();
        if (state_.CommError) return;
        WaitForReset(RestartWaitSection2);
        VerifyNewCode();
    }
}

void FirmwareUpdater::FinishRun() {
    if (!state_.ProfileBackupNeeded) {
        state_.ProfileIntact = true;
    } else if (!state_.CommError) {
        profile_.RestoreProfile();
    } else {
        // Written back by the recovery that runs when the wizard closes.
        state_.ProfileIntact = false;
    }
    SetClockNow();
    const bool wentWell = !state_.CommError;
    // After a run that went well the DC holds its code and profile; a sleep command it did
    // not confirm changes nothing of that, but the diver is told, not left guessing.
    if (!link_.EnterDeepSleep() && wentWell) wizard_.InsertTaskList(IconInfo, Text(Msg::SleepNotConfirmed), "");
    report_.summaryDue = true;
}

void FirmwareUpdater::SetClockNow() {
    const LocalTime t = pump_.localTime();
    link_.SetClock(FormatClockDate(t), FormatClockTime(t), ClockArgument);
}

void FirmwareUpdater::ReportNoIdentity(std::int32_t step) {
    wizard_.SetTaskStatus(Text(Msg::Failed));
    wizard_.InsertTaskList(IconError, Text(Msg::NoAnswer), "");
    state_.CommError = true;
    Fail(step);
    wizard_.ResetStage();
}

}  // namespace vor
