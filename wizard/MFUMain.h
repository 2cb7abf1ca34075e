#pragma once
// The wizard window: its controls, the task log and the agreement page. What Next,
// Back and Close do is the flow's (WizardFlow); the window is its front end.
//
// Ending the program: Qt cannot unwind a nested event loop, so the close sequence
// calls the environment's endProgram (which marks the event pump as ending and quits
// the application). Any operation still waiting in a yield then gets ProgramEnding
// thrown and unwinds to the click that started it. If Form_Load returns false the
// program has ended during start-up and the event loop must not be entered.

#include <QWidget>
#include <functional>
#include <string>

#include "flow/FrontEnd.h"
#include "flow/WizardFlow.h"
#include "wizard/TaskList.h"
#include "session/WizardServices.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QSystemTrayIcon;

namespace vor {

class BoxPresenter;
class TextPrinter;
class TitleStrip;

// What the window needs besides the flow; tests replace each piece.
struct WindowEnvironment {
    BoxPresenter* boxes = nullptr;   // every message box goes through it
    TextPrinter* printer = nullptr;  // the agreement printout
    std::string programDir;          // where the agreement lies
    // "Save log...": the file the user picked, empty when cancelled; empty: the file dialog.
    std::function<std::string(const std::string& suggestedPath)> askSaveLogPath;
};

class MFUMain : public QWidget, private FrontEnd {
    Q_OBJECT
public:
    // Shows `flow`, which was built before the window and outlives it.
    MFUMain(WizardFlow& flow, WindowEnvironment env, QWidget* parent = nullptr);
    ~MFUMain() override;

    void setTaskObserver(TaskList::Observer observer);

    // Start-up up to the first page. False when the program has already ended.
    bool Form_Load();

    void LoadStepInstructions(int n);
    void PutOnTop();
    void UnDoPutOnTop();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void NextCmd_Click();
    void BackCmd_Click();
    void CloseCmd_Click();
    void PrintCmd_Click();
    void DisagreeCmd_Click();
    void SaveLogCmd_Click();
    void TaskLstMenu(const QPoint& at);

private:
    // FrontEnd
    void TextsReady() override;
    void ShowPage(int stage) override { LoadStepInstructions(stage); }
    void ShowTaskLog() override;
    void HideTaskLog() override;
    void RowAdded(const TaskRow& row) override;
    void RowChanged(const TaskRow& row) override;
    void ButtonsChanged(bool nextEnabled, bool backEnabled) override;
    BoxAnswer Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) override;
    void LeaveTop() override { UnDoPutOnTop(); }
    void RemoveTrayIcon() override;
    void HideTitle() override;
    void Ended() override { hide(); }

    void buildControls();
    void CreateTrayIcon();
    WizardFlow& flow_;
    WindowEnvironment env_;

    TitleStrip* xpForm_;
    QLabel* image1_;
    QGroupBox* xpFrame_;
    QLabel* lbl1_;
    QLabel* image2_;
    TaskList* taskLst_;
    QPushButton* printCmd_;
    QPushButton* backCmd_;
    QPushButton* nextCmd_;
    QPushButton* closeCmd_;
    QPushButton* agreeCmd_;
    QPushButton* disagreeCmd_;
    QAction* saveLogAct_;
    QSystemTrayIcon* sysTray_ = nullptr;
};

}  // namespace vor
