// The window as the flow's front end.

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
#include "flow/WindowTexts.h"
#include "wizard/BoxPresenter.h"
#include "wizard/Skin.h"
#include "wizard/TitleStrip.h"

namespace vor {

MFUMain::MFUMain(WizardFlow& flow, WindowEnvironment env, QWidget* parent)
    : QWidget(parent), flow_(flow), env_(std::move(env)) {
    buildControls();
    flow_.attach(*this);
}

MFUMain::~MFUMain() { RemoveTrayIcon(); }

void MFUMain::setTaskObserver(TaskList::Observer observer) { taskLst_->setObserver(std::move(observer)); }

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
    const WindowTexts texts = WindowTextsOf(flow_);
    xpForm_->setCaption(QString::fromStdString(texts.title));
    xpForm_->setSecondLine(QString::fromStdString(texts.secondLine));
    xpFrame_->setTitle(QString::fromStdString(texts.frame).toUpper());
    backCmd_->setText(QString::fromStdString(texts.back));
    closeCmd_->setText(QString::fromStdString(texts.close));
    nextCmd_->setText(QString::fromStdString(texts.next));
    if (env_.boxes) env_.boxes->setChoiceLabels(texts.useSaved, texts.keepDc);
    taskLst_->setColumnTitles(texts.timeColumn, texts.eventColumn, texts.statusColumn);
    saveLogAct_->setText(QString::fromStdString(texts.saveLogAction));
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

void MFUMain::NextCmd_Click() { flow_.Next(); }

void MFUMain::BackCmd_Click() { flow_.Back(); }

void MFUMain::CloseCmd_Click() { flow_.Close(); }

void MFUMain::LoadStepInstructions(int n) {
    lbl1_->setText(QString::fromStdString(StepInstructions(n)));
    image2_->setVisible(StepShowsPicture(n));
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
