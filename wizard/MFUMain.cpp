// Start-up, shut-down and the services the other subsystems call.

#include "wizard/MFUMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <filesystem>

#include "platform/PortDiagnosisText.h"
#include "platform/WindowPlacement.h"
#include "session/Messages.h"
#include "wizard/BoxPresenter.h"
#include "wizard/SaveLog.h"
#include "wizard/SetupRecord.h"
#include "wizard/Skin.h"
#include "wizard/StepInstructions.h"
#include "wizard/TitleStrip.h"

namespace vor {

namespace {

constexpr const char* LanguageDbFile = "FirmwareUpdate.lng";
constexpr const char* TitleNotice = "Keep the interface cable clipped on the DC until the update has finished.";
constexpr const char* DbOpenFailedSuffix = " 0001";
constexpr const char* DbOpenFailedFallback = "The language database could not be opened.";

std::string JoinPath(const std::string& dir, const std::string& name) {
    return (std::filesystem::path(dir) / name).string();
}

}  // namespace

MFUMain::MFUMain(WizardState& state, WizardEnvironment env, QWidget* parent)
    : QWidget(parent), state_(state), env_(std::move(env)) {
    buildControls();
}

MFUMain::~MFUMain() { RemoveTrayIcon(); }

void MFUMain::setTaskObserver(std::function<void(const TaskRow&)> observer) {
    taskLst_->setObserver(std::move(observer));
}

bool MFUMain::Form_Load() {
    state_.Stage = 1;
    state_.DeepSleepMode = false;
    printCmd_->hide();
    nextCmd_->show();
    backCmd_->show();  // keeps its built-in disabled state
    closeCmd_->show();
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

void MFUMain::InitInfo() {
    const std::optional<SetupRecord> setup = ReadSetupRecord(env_.setupRecord);
    if (!setup) {  // too few fields or a damaged record: end without a word
        EndAtOnce();
        return;
    }
    state_.FirmwarePath = JoinPath(env_.programDir, setup->imageFile);
    closeProgram_ = setup->closeProgram;
    state_.LanguageColumn = setup->languageColumn;

    OpenLanguageDb();
    if (ended_) return;
    PutOnTop();
    ApplySkin(this);
    setWindowTitle(xpForm_->caption());
    CreateTrayIcon();
    xpForm_->setCaption(QString::fromStdString("VOR 1H " + TextOr(Msg::Title, "Firmware Update")));
    xpForm_->setSecondLine(QString::fromStdString(GetText(Msg::Title) + "  -  " + TitleNotice));
    state_.ProfileIntact = true;

    if (backend_) backend_->GetCode();
    if (ended_) return;
    TestInterface();
    if (ended_) return;
    LoadStepInstructions(1);
    ApplyCaptions();
}

void MFUMain::OpenLanguageDb() {
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
    exitStatus_ = ExitLanguageDbFailed;
    EndAtOnce();
}

void MFUMain::Warn(const std::string& text) {
    warnings_.push_back(text);
    if (env_.printDiagnostic) env_.printDiagnostic("warning: " + text);
}

std::string MFUMain::TextOr(std::int32_t number, const char* fallback) {
    std::string text = GetText(number);
    return text.empty() ? std::string(fallback) : text;
}

void MFUMain::ApplyCaptions() {
    xpFrame_->setTitle(QString::fromStdString(TextOr(Msg::FrameCaption, "Instructions")).toUpper());
    backCmd_->setText(QString::fromStdString(TextOr(Msg::BackCaption, "Back")));
    closeCmd_->setText(QString::fromStdString(TextOr(Msg::CloseCaption, "Close")));
    nextCmd_->setText(QString::fromStdString(TextOr(Msg::NextCaption, "Next")));
    taskLst_->setColumnTitles(TextOr(Msg::TimeColumn, "Time"), TextOr(Msg::EventColumn, "Event"),
                              TextOr(Msg::StatusColumn, "Status"));
    saveLogAct_->setText(QString::fromStdString(TextOr(Msg::SaveLogAction, "Save log...")));
}

void MFUMain::CreateTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    sysTray_ = new QSystemTrayIcon(windowIcon(), this);
    sysTray_->setToolTip(windowTitle());
    sysTray_->show();
}

void MFUMain::RemoveTrayIcon() {
    if (!sysTray_) return;
    sysTray_->hide();
    delete sysTray_;
    sysTray_ = nullptr;
}

void MFUMain::TestInterface() {
    for (;;) {
        const PortOpenOutcome outcome = backend_ ? backend_->OpenInterfacePort() : PortOpenOutcome{};
        if (outcome.result == PortOpenResult::Opened) return;
        if (ShowPortBox(outcome) != BoxAnswer::Ok) {
            EndAtOnce();
            return;
        }
    }
}

BoxAnswer MFUMain::ShowPortBox(const PortOpenOutcome& outcome) {
    PortDiagnosis diagnosis;
    if (env_.desktop.diagnosePort) {
        diagnosis = env_.desktop.diagnosePort(outcome);
    } else {
        diagnosis.portPath = outcome.portName;
        diagnosis.openError = outcome.detail;
        // Without a diagnosis only a refused permission is explained; the rest keeps the wizard's box.
        diagnosis.problem =
            outcome.result == PortOpenResult::PermissionDenied ? PortProblem::PermissionDenied : PortProblem::NoCable;
    }
    // The missing cable keeps the wizard's own caption and text; the others explain.
    const std::string caption = diagnosis.problem == PortProblem::NoCable
                                    ? GetText(Msg::PortBoxCaption)
                                    : TextOr(Msg::PortBoxCaption, FixedBoxCaption);
    return MessageBox(BoxIcon::Critical, BoxButtons::OkCancel, caption,
                      PortDiagnosisText(diagnosis, [this](std::int32_t n) { return GetText(n); }));
}

void MFUMain::PutOnTop() { SetTopMost(this, true); }

void MFUMain::UnDoPutOnTop() { SetTopMost(this, false); }

void MFUMain::InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) {
    taskLst_->appendRow(iconInd, FormatTimeOfDay(env_.pump->localTime()), s1, s2);
}

void MFUMain::SetTaskStatus(const std::string& s) { taskLst_->setLastStatus(s); }

void MFUMain::ResetStage() {
    resetStageCalled_ = true;
    SetProcessPriority(PriorityNormal);
    // A failed update still sends the clock and deep sleep after this; Back then would
    // clear the log while rows are still added. It comes when UpdateFirmware returns.
    if (!updateRunning_) backCmd_->setEnabled(true);
}

std::string MFUMain::GetText(std::int32_t number) { return db_.GetText(number); }

BoxAnswer MFUMain::MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) {
    if (ended_) return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Cancel;
    return env_.boxes->show(this, icon, buttons, caption, text);
}

int MFUMain::SetProcessPriority(int priorityClass) {
    return env_.setPriority ? env_.setPriority(priorityClass) : priorityClass;
}

void MFUMain::CloseProgram() { CloseCmd_Click(); }

void MFUMain::CloseCmd_Click() {
    if (closing_ || ended_) return;  // a second Close while the first one still runs
    closing_ = true;
    // Every step runs even when an earlier one fails.
    const auto step = [](const std::function<void()>& work) {
        try {
            work();
        } catch (...) {}
    };
    if (!state_.ProfileIntact && backend_)
        step([&] {
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
            std::string outcome = backend_->RecoveryOutcome();
            if (outcome.empty()) outcome = state_.ProfileIntact ? "Profile written back" : "Profile not written back";
            RecordAttempt(std::move(record), outcome);
        });
    step([&] { UnDoPutOnTop(); });
    if (backend_) step([&] { backend_->AbortLink(); });
    if (backend_) step([&] { backend_->WaitSeconds(CloseWaitSeconds); });
    step([&] { RemoveTrayIcon(); });
    if (backend_) step([&] { backend_->ReleaseReplyBuffers(); });
    step([&] { xpForm_->hide(); });
    if (!closeProgram_.empty() && env_.startProgram)
        step([&] { env_.startProgram(JoinPath(env_.programDir, closeProgram_)); });
    step([&] { db_.Close(); });
    FinishEnd();
}

void MFUMain::EndAtOnce() {
    RemoveTrayIcon();
    FinishEnd();
}

void MFUMain::FinishEnd() {
    ended_ = true;
    hide();
    if (env_.endProgram) env_.endProgram();
}

void MFUMain::closeEvent(QCloseEvent* event) {
    if (ended_) {
        event->accept();
        return;
    }
    // The window's own close button runs the Close sequence (recovery included).
    event->ignore();
    CloseCmd_Click();
}

bool MFUMain::Guarded(const std::function<void()>& work) {
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
