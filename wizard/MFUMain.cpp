// The window as the flow's front end, and the services it passes on to the flow.

#include "wizard/MFUMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>

#include "platform/WindowPlacement.h"
#include "session/Messages.h"
#include "flow/StepInstructions.h"
#include "wizard/BoxPresenter.h"
#include "wizard/Skin.h"
#include "wizard/TitleStrip.h"

namespace vor {

namespace {

constexpr const char* TitleNotice = "Keep the interface cable clipped on the DC until the update has finished.";

}  // namespace

FlowEnvironment FlowEnvironmentOf(const WizardEnvironment& env) {
    FlowEnvironment flow;
    flow.pump = env.pump;
    flow.programDir = env.programDir;
    flow.setupRecord = env.setupRecord;
    flow.setPriority = env.setPriority;
    flow.startProgram = env.startProgram;
    flow.endProgram = env.endProgram;
    flow.printDiagnostic = env.printDiagnostic;
    flow.diagnosePort = env.desktop.diagnosePort;
    flow.sleepInhibitor = env.desktop.sleepInhibitor;
    flow.recordFolder = env.desktop.recordFolder;
    return flow;
}

MFUMain::MFUMain(WizardState& state, WizardEnvironment env, QWidget* parent)
    : QWidget(parent), state_(state), env_(std::move(env)), flow_(state, FlowEnvironmentOf(env_), *this) {
    buildControls();
}

MFUMain::~MFUMain() { RemoveTrayIcon(); }

void MFUMain::setDesktopServices(DesktopServices desktop) {
    env_.desktop = std::move(desktop);
    flow_.environment() = FlowEnvironmentOf(env_);  // the one mapping of the window's environment
}

void MFUMain::setTaskObserver(std::function<void(const TaskRow&)> observer) {
    taskLst_->setObserver(std::move(observer));
}

bool MFUMain::Form_Load() {
    printCmd_->hide();
    nextCmd_->show();
    backCmd_->show();  // keeps its built-in disabled state
    closeCmd_->show();
    return flow_.Start();
}

void MFUMain::TextsReady() {
    PutOnTop();
    ApplySkin(this);
    setWindowTitle(xpForm_->caption());
    CreateTrayIcon();
    xpForm_->setCaption(QString::fromStdString("VOR 1H " + TextOr(Msg::Title, "Firmware Update")));
    xpForm_->setSecondLine(QString::fromStdString(GetText(Msg::Title) + "  -  " + TitleNotice));
    ApplyCaptions();
}

void MFUMain::ApplyCaptions() {
    xpFrame_->setTitle(QString::fromStdString(TextOr(Msg::FrameCaption, "Instructions")).toUpper());
    backCmd_->setText(QString::fromStdString(TextOr(Msg::BackCaption, "Back")));
    closeCmd_->setText(QString::fromStdString(TextOr(Msg::CloseCaption, "Close")));
    nextCmd_->setText(QString::fromStdString(TextOr(Msg::NextCaption, "Next")));
    if (env_.boxes)
        env_.boxes->setChoiceLabels(TextOr(Msg::UseSavedProfile, "Write the saved profile back"),
                                    TextOr(Msg::KeepDcProfile, "Keep the DC's profile"));
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

void MFUMain::HideTitle() { xpForm_->hide(); }

void MFUMain::PutOnTop() { SetTopMost(this, true); }

void MFUMain::UnDoPutOnTop() { SetTopMost(this, false); }

void MFUMain::ShowTaskLog() {
    xpFrame_->hide();
    taskLst_->clearRows();
    taskLst_->show();
}

void MFUMain::HideTaskLog() {
    xpFrame_->show();
    taskLst_->clearRows();
    taskLst_->hide();
}

void MFUMain::RowAdded(const TaskRow& row) { taskLst_->appendRow(row.iconInd, row.time, row.event, row.status); }

void MFUMain::RowChanged(const TaskRow& row) { taskLst_->setLastStatus(row.status); }

void MFUMain::ButtonsChanged(bool nextEnabled, bool backEnabled) {
    nextCmd_->setEnabled(nextEnabled);
    backCmd_->setEnabled(backEnabled);
}

BoxAnswer MFUMain::Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) {
    return env_.boxes->show(this, icon, buttons, caption, text);
}

void MFUMain::InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) {
    flow_.InsertTaskList(iconInd, s1, s2);
}

void MFUMain::SetTaskStatus(const std::string& s) { flow_.SetTaskStatus(s); }

void MFUMain::ResetStage() { flow_.ResetStage(); }

std::string MFUMain::GetText(std::int32_t number) { return flow_.GetText(number); }

BoxAnswer MFUMain::MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) {
    return flow_.MessageBox(icon, buttons, caption, text);
}

int MFUMain::SetProcessPriority(int priorityClass) { return flow_.SetProcessPriority(priorityClass); }

void MFUMain::CloseProgram() { flow_.Close(); }

void MFUMain::NextCmd_Click() { flow_.Next(); }

void MFUMain::BackCmd_Click() { flow_.Back(); }

void MFUMain::CloseCmd_Click() { flow_.Close(); }

void MFUMain::LoadStepInstructions(int n) {
    lbl1_->setText(QString::fromStdString(StepInstructions(n)));
    if (n == 1) image2_->hide();
    if (n == 2) image2_->show();
}

void MFUMain::closeEvent(QCloseEvent* event) {
    if (flow_.ended()) {
        event->accept();
        return;
    }
    // The window's own close button runs the Close sequence (recovery included).
    event->ignore();
    flow_.Close();
}

}  // namespace vor
