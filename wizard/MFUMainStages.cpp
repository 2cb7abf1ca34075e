// The stage machine: what Next and Back do, and the instruction pages.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "session/Messages.h"
#include "wizard/MFUMain.h"
#include "wizard/StepInstructions.h"

namespace vor {

namespace {

constexpr const char* FirstCurrentVersion = "1F";  // this version and newer need no Deep Sleep
constexpr const char* DeepSleepFailedText = "Could not set DC into Deep Sleep mode. Please replease step 1 to 4 again.";

}  // namespace

void MFUMain::LoadStepInstructions(int n) {
    lbl1_->setText(QString::fromStdString(StepInstructions(n)));
    if (n == 1) image2_->hide();
    if (n == 2) image2_->show();
}

void MFUMain::NextCmd_Click() {
    // A second click while the DC is still being asked would start a nested attempt.
    if (nextRunning_ || ended_) return;
    nextRunning_ = true;
    Guarded([&] {
        state_.Stage += 1;
        if (state_.Stage >= 3) {
            StartUpdate();
            return;
        }
        if (state_.Stage == 2 && IdentifyAndPrepare() != NextOutcome::ShowPage) return;
        LoadStepInstructions(state_.Stage);
        backCmd_->setEnabled(state_.Stage > 1);
    });
    nextRunning_ = false;
}

MFUMain::NextOutcome MFUMain::IdentifyAndPrepare() {
    if (!backend_->ReadIdentity()) {
        state_.Stage = 1;  // no answer: the page stays, the next Next asks again
        return NextOutcome::Stop;
    }
    if (!backend_->ParseIdentity()) {
        // Msg::NotForThisDc ends in a blank for the task-log row, which puts the name right
        // after it; the box adds its own blank, so the text's own is dropped here.
        std::string lead = GetText(Msg::NotForThisDc);
        while (!lead.empty() && lead.back() == ' ') lead.pop_back();
        MessageBox(BoxIcon::Warning, BoxButtons::Ok, FixedBoxCaption, lead + " " + backend_->DeviceName() + "!");
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

void MFUMain::StartUpdate() {
    state_.DeepSleepMode = false;
    state_.ProfileBackupNeeded = true;
    state_.ProfileIntact = true;
    xpFrame_->hide();
    taskLst_->clearRows();  // an attempt starts with an empty log
    taskLst_->show();
    nextCmd_->setEnabled(false);
    if (state_.CommError) {
        // Not started. Back must work, or the user would be stuck on an empty log.
        backCmd_->setEnabled(true);
        return;
    }
    // Back during the attempt would clear the log and let Next start a second
    // attempt inside this one; it comes back once UpdateFirmware has returned.
    const bool backWasEnabled = backCmd_->isEnabled();
    backCmd_->setEnabled(false);
    resetStageCalled_ = false;
    AttemptRecord record = BeginAttempt("Firmware update");
    updateRunning_ = true;
    try {
        const auto awake = KeepAwake(SleepWhyUpdate);
        backend_->UpdateFirmware();
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
    // The flags alone can miss a failure (the closing deep-sleep command clears
    // CommError): an error row on the screen counts as well.
    const std::vector<TaskRow> rows = TaskRows();
    const bool errorShown =
        std::any_of(rows.begin(), rows.end(), [](const TaskRow& row) { return row.iconInd == IconError; });
    RecordAttempt(std::move(record), state_.CommError || !state_.ProfileIntact || errorShown
                                         ? "Not completed"
                                         : "Completed without errors");
    if (backWasEnabled || resetStageCalled_) backCmd_->setEnabled(true);
}

void MFUMain::BackCmd_Click() {
    if (ended_) return;
    Guarded([&] {
        if (state_.Stage > 1) {
            state_.Stage = 1;
            backCmd_->setEnabled(false);
            GoBack();
        }
        LoadStepInstructions(state_.Stage);
    });
}

void MFUMain::GoBack() {
    nextCmd_->setEnabled(true);
    backCmd_->setEnabled(false);
    xpFrame_->show();
    taskLst_->clearRows();
    taskLst_->hide();
    state_.CommError = false;
}

}  // namespace vor
