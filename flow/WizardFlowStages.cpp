// The stage machine: what Next and Back do, and the instruction pages.

#include "flow/WizardFlow.h"
#include "session/Messages.h"
#include "session/PrintableText.h"

namespace vor {

namespace {

constexpr const char* FirstCurrentVersion = "1F";  // this version and newer need no Deep Sleep
constexpr const char* DeepSleepFailedText = "Could not set DC into Deep Sleep mode. Please replease step 1 to 4 again.";

const char* TaskRecordKind(ProfileTaskKind kind) {
    switch (kind) {
    case ProfileTaskKind::Info: return "DC information";
    case ProfileTaskKind::Backup: return "Profile backup";
    case ProfileTaskKind::Restore: return "Profile restore";
    case ProfileTaskKind::None: break;
    }
    return "Firmware update";
}

}  // namespace

void WizardFlow::ShowPage(int stage) {
    pageShown_ = stage;
    frontEnd_->ShowPage(stage);
}

void WizardFlow::SetButtons(bool next, bool back) {
    if (next == nextEnabled_ && back == backEnabled_) return;
    nextEnabled_ = next;
    backEnabled_ = back;
    frontEnd_->ButtonsChanged(next, back);
}

void WizardFlow::Next() {
    // A second Next while the DC is still being asked would start a nested attempt.
    if (nextRunning_ || ended_) return;
    nextRunning_ = true;
    Guarded([&] {
        state_.Stage += 1;
        if (state_.Stage >= 3) {
            StartUpdate();
            return;
        }
        if (state_.Stage == 2 && IdentifyAndPrepare() != NextOutcome::ShowPage) return;
        ShowPage(state_.Stage);
        SetBack(state_.Stage > 1);
    });
    nextRunning_ = false;
}

WizardFlow::NextOutcome WizardFlow::IdentifyAndPrepare() {
    dcSilent_ = !backend_->ReadIdentity();
    if (dcSilent_) {
        state_.Stage = 1;  // no answer: the page stays, the next Next asks again
        return NextOutcome::Stop;
    }
    if (!backend_->ParseIdentity()) {
        // Msg::NotForThisDc ends in a blank for the task-log row, which puts the name right
        // after it; the box adds its own blank, so the text's own is dropped here.
        std::string lead = GetText(Msg::NotForThisDc);
        while (!lead.empty() && lead.back() == ' ') lead.pop_back();
        MessageBox(BoxIcon::Warning, BoxButtons::Ok, FixedBoxCaption,
                   lead + " " + PrintableText(backend_->DeviceName()) + "!");
        state_.Stage = 1;
        return NextOutcome::Stop;
    }
    // Byte-wise, case-sensitive: "1f" counts as newer than "1F".
    if (backend_->FirmwareVersion().compare(FirstCurrentVersion) >= 0) {
        StartUpdate();
        return NextOutcome::UpdateStarted;
    }
    state_.DeepSleepMode = true;
    if (!backend_->EnterDeepSleep()) {
        state_.Stage = 1;
        MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption, DeepSleepFailedText);
        return NextOutcome::Stop;
    }
    return NextOutcome::ShowPage;
}

void WizardFlow::StartUpdate() {
    dcSilent_ = false;  // the update tells its own story
    state_.DeepSleepMode = false;
    state_.ProfileBackupNeeded = true;
    state_.ProfileIntact = true;
    pageShown_ = 0;
    taskLog_.Clear();  // an attempt starts with an empty log
    frontEnd_->ShowTaskLog();
    SetNext(false);
    if (state_.CommError) {
        // Not started. Back must work, or the user would be stuck on an empty log.
        SetBack(true);
        return;
    }
    // Back during the attempt would clear the log and let Next start a second
    // attempt inside this one; it comes back once UpdateFirmware has returned.
    const bool backWasEnabled = backEnabled_;
    SetBack(false);
    resetStageCalled_ = false;
    const bool task = env_.task.kind != ProfileTaskKind::None;
    AttemptRecord record = BeginAttempt(task ? TaskRecordKind(env_.task.kind) : "Firmware update");
    updateRunning_ = true;
    FirmwareReport report;
    try {
        const auto awake = KeepAwake(SleepWhyUpdate);
        if (task)
            taskOutcome_ = backend_->RunProfileTask(env_.task);
        else
            report = backend_->UpdateFirmware();
        updateRunning_ = false;
    } catch (const ProgramEnding&) {
        updateRunning_ = false;
        RecordAttempt(std::move(record), "Interrupted: the program was ended");
        throw;
    } catch (const std::exception& e) {
        updateRunning_ = false;
        ResetStage();  // normal priority and a way back
        RecordAttempt(std::move(record), std::string("Stopped by an error: ") + e.what());
        throw;
    }
    if (report.summaryDue) InsertSummary(Outcome());
    RecordAttempt(std::move(record));
    if (backWasEnabled || resetStageCalled_) SetBack(true);
}

void WizardFlow::InsertSummary(const RunOutcome& outcome) {
    if (Succeeded(outcome)) {
        InsertTaskList(IconInfo, GetText(Msg::UpdateSucceeded), "");
        return;
    }
    InsertTaskList(IconError, GetText(Msg::UpdateFailed), "");
    InsertTaskList(IconInfo, GetText(Msg::ProfileOnClose), "");
}

void WizardFlow::Back() {
    if (ended_) return;
    Guarded([&] {
        if (state_.Stage > 1) {
            state_.Stage = 1;
            SetButtons(true, false);
            taskLog_.Clear();
            frontEnd_->HideTaskLog();
            state_.CommError = false;
        }
        ShowPage(state_.Stage);
    });
}

}  // namespace vor
