// Start-up, the close sequence and the services the other subsystems call.

#include "flow/WizardFlow.h"

#include <filesystem>

#include "flow/ExitStatus.h"
#include "flow/SetupRecord.h"
#include "flow/PortBox.h"
#include "session/Messages.h"
#include "texts/BuiltInTexts.h"
#include "session/Utf8Path.h"

namespace vor {

namespace {

constexpr const char* DbOpenFailedSuffix = " 0001";
constexpr const char* DbOpenFailedFallback = "The language database could not be opened.";

std::string JoinPath(const std::string& dir, const std::string& name) {
    return Utf8Of(PathOfUtf8(dir) / PathOfUtf8(name));
}

// Stands in until the front end attaches: shows nothing, and nobody answers.
class Unattached : public FrontEnd {
public:
    void ShowPage(int) override {}
    void ShowTaskLog() override {}
    void HideTaskLog() override {}
    void RowAdded(const TaskRow&) override {}
    void RowChanged(const TaskRow&) override {}
    void ButtonsChanged(bool, bool) override {}
    BoxAnswer Ask(BoxIcon, BoxButtons, const std::string&, const std::string&) override { return BoxAnswer::Undecided; }
    bool CanDecide() const override { return false; }
};

Unattached unattached;

}  // namespace

WizardFlow::WizardFlow(WizardState& state, FlowEnvironment env)
    : state_(state), env_(std::move(env)), frontEnd_(&unattached), taskLog_(unattached, env_.pump) {}

void WizardFlow::attach(FrontEnd& frontEnd) {
    frontEnd_ = &frontEnd;
    taskLog_.showOn(frontEnd);
}

bool WizardFlow::Start() {
    state_.Stage = 1;
    state_.DeepSleepMode = false;
    try {
        InitInfo();
    } catch (const ProgramEnding&) {
        ended_ = true;
    } catch (const std::exception& e) {
        // A start-up failure nobody handled: say so and end.
        MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption,
                   std::string("The program cannot start: ") + e.what());
        EndAtOnce();
    }
    return !ended_;
}

void WizardFlow::InitInfo() {
    const std::optional<SetupRecord> setup = ReadSetupRecord(env_.setupRecord);
    if (!setup) {  // too few fields or a damaged record: end without a word
        EndAtOnce();
        return;
    }
    state_.FirmwarePath = env_.imageFile.empty() ? JoinPath(env_.programDir, setup->imageFile) : env_.imageFile;
    closeProgram_ = setup->closeProgram;
    state_.LanguageColumn = env_.languageColumn.value_or(setup->languageColumn);

    OpenLanguageDb();
    if (ended_) return;
    frontEnd_->TextsReady();
    state_.ProfileIntact = true;

    if (backend_) {
        // The load has told the diver in its box (a missing image in none); the console
        // learns the file and why, and no update is ever tried with that image.
        if (const std::optional<std::string> why = backend_->LoadFirmwareImage()) {
            if (env_.printDiagnostic)
                env_.printDiagnostic("the firmware image " + state_.FirmwarePath + " cannot be loaded: " + *why);
            Close();
            return;
        }
    }
    TestInterface();
    if (ended_) return;
    ShowPage(1);
}

void WizardFlow::OpenLanguageDb() {
    const std::string path = JoinPath(env_.programDir, LanguageDbFile);
    const bool opened = db_.OpenLanguageDb(path, LoadResString(ResDatabasePassword), state_.LanguageColumn);
    if (!db_.warning().empty()) Warn("language database " + path + ": " + db_.warning());
    if (opened) return;
    // Msg::Failed comes from the database as far as its texts could be opened.
    const std::string failed = GetText(Msg::Failed);
    const std::string caption = failed.empty() ? FixedBoxCaption : failed;
    const std::string text = (failed.empty() ? DbOpenFailedFallback : failed) + std::string(DbOpenFailedSuffix);
    MessageBox(BoxIcon::Critical, BoxButtons::Ok, caption, text);
    if (db_.isOpen()) {  // the texts work; only the language table is faulty
        Warn("language database " + path + ": " + db_.lastError());
        return;
    }
    // Every later text would be empty: no window with blank captions and silent boxes.
    if (env_.printDiagnostic)
        env_.printDiagnostic("the language database " + path + " cannot be used: " + db_.lastError());
    exitStatus_ = ExitNothingChanged;
    EndAtOnce();
}

void WizardFlow::Warn(const std::string& text) {
    warnings_.push_back(text);
    if (env_.printDiagnostic) env_.printDiagnostic("warning: " + text);
}

void WizardFlow::TestInterface() {
    for (;;) {
        const PortOpenOutcome outcome = backend_ ? backend_->OpenInterfacePort() : PortOpenOutcome{};
        if (outcome.result == PortOpenResult::Opened) {
            portName_ = outcome.portName;
            return;
        }
        const PortBoxServices box{env_.diagnosePort, [this](std::int32_t n) { return GetText(n); },
                                  [this](BoxIcon icon, BoxButtons buttons, const std::string& caption,
                                         const std::string& text) { return MessageBox(icon, buttons, caption, text); }};
        if (ShowPortBox(outcome, box) != BoxAnswer::Ok) {
            EndAtOnce();
            return;
        }
    }
}

void WizardFlow::InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) {
    taskLog_.Insert(iconInd, s1, s2);
}

void WizardFlow::SetTaskStatus(const std::string& s) { taskLog_.SetStatus(s); }

void WizardFlow::ResetStage() {
    resetStageCalled_ = true;
    SetProcessPriority(PriorityNormal);
    // A failed update still sends the clock and deep sleep after this; Back then would
    // clear the log while rows are still added. It comes when UpdateFirmware returns.
    if (!updateRunning_) SetBack(true);
}

std::string WizardFlow::GetText(std::int32_t number) {
    std::string text = db_.GetText(number);
    // A database made before the program added a message: its English text stands in.
    if (text.empty() && number >= AddedMessagesFrom && db_.isOpen()) {
        text = BuiltInText(number);
        if (!text.empty()) missingTexts_.insert(number);
    }
    return text;
}

BoxAnswer WizardFlow::MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                                 const std::string& text) {
    if (ended_) return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Cancel;
    return frontEnd_->Ask(icon, buttons, caption, text);
}

int WizardFlow::SetProcessPriority(int priorityClass) {
    return env_.setPriority ? env_.setPriority(priorityClass) : priorityClass;
}

RunOutcome WizardFlow::Outcome() const {
    if (!backend_) return {};
    const ProfileReport profile = backend_->ProfileFacts();
    RunOutcome outcome =
        JudgeRun(backend_->FirmwareFacts(), profile, state_.ProfileBackupNeeded, PendingBackup(profile));
    if (dcSilent_) outcome.silentPort = portName_.empty() ? std::string("the cable's port") : portName_;
    outcome.sentToDeepSleep = state_.DeepSleepMode;  // cleared when an attempt starts
    return outcome;
}

std::optional<TaskOutcome> WizardFlow::TaskResult() const {
    if (env_.task.kind == ProfileTaskKind::None) return std::nullopt;
    if (!taskOutcome_) {
        TaskOutcome notRead = DcNotReadOutcome();
        if (dcSilent_) notRead.message = vor::OutcomeText(Outcome(), {});
        return notRead;
    }
    // A restore that did not complete may have been finished by the recovery at Close.
    if (taskOutcome_->exit == ExitProfileSaved && Outcome().profile == ProfileEnd::Verified)
        return RestoredOutcome(taskOutcome_->file, taskOutcome_->dcCopy);
    return taskOutcome_;
}

std::string WizardFlow::OutcomeText(const RunOutcome& outcome) {
    if (!outcome.failedStep) return vor::OutcomeText(outcome, {});
    if (db_.isOpen()) return vor::OutcomeText(outcome, GetText(outcome.failedStep));
    return vor::OutcomeText(outcome, outcome.failedStep == keptStep_.number ? keptStep_.text : std::string());
}

void WizardFlow::KeepFailedStepText() {
    const std::int32_t failed = Outcome().failedStep;
    if (failed) keptStep_ = {failed, GetText(failed)};
}

void WizardFlow::Close() {
    if (closing_ || ended_) return;  // a second Close while the first one still runs
    closing_ = true;
    // Every step runs even when an earlier one fails.
    const auto step = [](const std::function<void()>& work) {
        try {
            work();
        } catch (...) {}
    };
    // The recovery runs for the file the outcome calls pending: one fact for the screen,
    // the recovery and the exit status.
    if (backend_ && PendingBackup(backend_->ProfileFacts())) step([&] { RecoverAtClose(); });
    step([&] { frontEnd_->LeaveTop(); });
    if (backend_) step([&] { backend_->AbortLink(); });
    if (backend_) step([&] { backend_->WaitSeconds(CloseWaitSeconds); });
    step([&] { frontEnd_->RemoveTrayIcon(); });
    if (backend_) step([&] { backend_->ReleaseReplyBuffers(); });
    step([&] { frontEnd_->HideTitle(); });
    if (!closeProgram_.empty() && env_.startProgram)
        step([&] { env_.startProgram(JoinPath(env_.programDir, closeProgram_)); });
    step([&] { KeepFailedStepText(); });
    step([&] { db_.Close(); });
    FinishEnd();
}

void WizardFlow::RecoverAtClose() {
    if (!frontEnd_->CanDecide()) {
        // Nobody to answer the recovery's questions: the backup stays where the next
        // run finds it and writes it back.
        if (env_.printDiagnostic)
            env_.printDiagnostic("the profile was not written back; it stays saved in " +
                                 Utf8Of(backend_->ProfileFacts().backupFile) + " and the next update writes it back");
        return;
    }
    AttemptRecord record = BeginAttempt("Profile recovery at close");
    const auto awake = KeepAwake(SleepWhyRecovery);
    try {
        backend_->ProfileRecovering();
    } catch (const ProgramEnding&) {
        RecordAttempt(std::move(record), "Interrupted: the program was ended");
        throw;
    } catch (const std::exception& e) {
        RecordAttempt(std::move(record), std::string("Stopped by an error: ") + e.what());
        throw;
    }
    RecordAttempt(std::move(record));
}

void WizardFlow::EndAtOnce() {
    frontEnd_->RemoveTrayIcon();
    FinishEnd();
}

void WizardFlow::FinishEnd() {
    ended_ = true;
    if (backend_) backend_->ReleaseDc();
    frontEnd_->Ended();
    if (env_.endProgram) env_.endProgram();
}

bool WizardFlow::Guarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const ProgramEnding&) {
        return false;  // the program is ending; nothing more to do here
    } catch (const std::exception& e) {
        MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption,
                   std::string("An unexpected error stopped this step: ") + e.what());
        return false;
    }
}

}  // namespace vor
