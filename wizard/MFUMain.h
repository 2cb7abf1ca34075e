#pragma once
// The wizard window: its controls, the task log and the agreement page. What Next,
// Back and Close do is the flow's (WizardFlow); the window is its front end, and
// passes the WizardServices the other subsystems call on to it.
//
// Ending the program: Qt cannot unwind a nested event loop, so the close sequence
// calls the environment's endProgram (which marks the event pump as ending and quits
// the application). Any operation still waiting in a yield then gets ProgramEnding
// thrown and unwinds to the click that started it. If Form_Load returns false the
// program has ended during start-up and the event loop must not be entered.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "platform/PortDiagnosis.h"
#include "platform/SleepInhibitor.h"
#include "resources/StringResources.h"
#include "flow/FrontEnd.h"
#include "flow/TaskLogRecord.h"
#include "flow/WizardBackend.h"
#include "flow/WizardFlow.h"
#include "wizard/TaskList.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QSystemTrayIcon;

namespace vor {

class BoxPresenter;
class TextPrinter;
class TitleStrip;

// The desktop around the wizard; each piece may be left empty (then it is skipped).
struct DesktopServices {
    // Why the cable's port could not be opened; empty: the outcome's own result.
    std::function<PortDiagnosis(const PortOpenOutcome&)> diagnosePort;
    // Keeps the computer awake while the DC is written.
    std::shared_ptr<SleepInhibitor> sleepInhibitor;
    // Where attempt records go (beside the backups); empty: none are written.
    std::function<std::filesystem::path()> recordFolder;
    // "Save log...": the file the user picked, empty when cancelled.
    std::function<std::string(const std::string& suggestedPath)> askSaveLogPath;
};

// The live system's port diagnosis, sleep inhibitor, backup folder and file dialog.
DesktopServices DefaultDesktopServices(const std::string& programDir);

// Everything the window needs from outside; tests replace each piece.
struct WizardEnvironment {
    EventPump* pump = nullptr;       // clock for the task log
    BoxPresenter* boxes = nullptr;   // every message box goes through it
    TextPrinter* printer = nullptr;  // the agreement printout
    std::string programDir;          // where the image, the database and the agreement lie
    std::string setupRecord = LoadResString(ResSetupRecord);
    std::function<int(int)> setPriority;                      // class in, class read back out
    std::function<void(const std::string&)> startProgram;     // the follow-up program at close
    std::function<void()> endProgram;                         // ends the event loop and every wait
    std::function<void(const std::string&)> printDiagnostic;  // one line for the console (standard error)
    DesktopServices desktop;
};

// What of it the flow takes.
FlowEnvironment FlowEnvironmentOf(const WizardEnvironment& env);

// The real priority, program start and end for the running application.
WizardEnvironment DefaultEnvironment(EventPump& pump, BoxPresenter& boxes, TextPrinter& printer,
                                     const std::string& programDir);

class MFUMain : public QWidget, public WizardServices, private FrontEnd {
    Q_OBJECT
public:
    static constexpr const char* BuiltInCaption = "VOR 1F Firmware Update";
    static constexpr const char* FixedBoxCaption = "Firmware Update";

    MFUMain(WizardState& state, WizardEnvironment env, QWidget* parent = nullptr);
    ~MFUMain() override;

    void setBackend(WizardBackend* backend) { flow_.setBackend(backend); }
    // The flow behind the window, for what the run came to.
    WizardFlow& flow() { return flow_; }
    void setDesktopServices(DesktopServices desktop);
    void setTaskObserver(std::function<void(const TaskRow&)> observer);

    // Start-up up to the first page. False when the program has already ended.
    bool Form_Load();
    bool programEnded() const { return flow_.ended(); }
    // What the process should return once the program has ended; not 0 when start-up
    // could not go on for a fault (the reason has gone to printDiagnostic).
    int exitStatus() const { return flow_.exitStatus(); }
    const std::string& FirmwarePath() const { return state_.FirmwarePath; }
    const std::string& CloseProgramPath() const { return flow_.CloseProgramPath(); }

    // WizardServices
    void InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) override;
    void SetTaskStatus(const std::string& s) override;
    void ResetStage() override;
    std::string GetText(std::int32_t number) override;
    BoxAnswer MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                         const std::string& text) override;
    int SetProcessPriority(int priorityClass) override;
    void CloseProgram() override;

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
    void ApplyCaptions();
    // The database's text, or the built-in one while the database has none.
    std::string TextOr(std::int32_t number, const char* fallback) {
        std::string text = flow_.GetText(number);
        return text.empty() ? std::string(fallback) : text;
    }
    WizardState& state_;
    WizardEnvironment env_;
    WizardFlow flow_;

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
