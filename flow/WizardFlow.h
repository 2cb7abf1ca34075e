#pragma once
// The wizard's flow, front-end free: start-up, what Next and Back do at each stage
// (the identity and Deep Sleep step, the update with its summary), the close
// sequence with the profile recovery, and the attempt records. The link, firmware and
// profile code reach it as their WizardServices; it reaches the user through a
// FrontEnd (the window or the terminal).
//
// Ending the program: the close sequence calls the environment's endProgram, which
// marks the event pump as ending. Any operation still waiting in a yield then gets
// ProgramEnding thrown and unwinds to the Next or Close that started it, where it is
// caught. If Start returns false the program has ended during start-up.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "flow/FrontEnd.h"
#include "flow/ProfileTask.h"
#include "flow/RunOutcome.h"
#include "flow/TaskLog.h"
#include "flow/TaskLogRecord.h"
#include "flow/WizardBackend.h"
#include "platform/EventPump.h"
#include "platform/PortDiagnosis.h"
#include "platform/SleepInhibitor.h"
#include "resources/StringResources.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"
#include "texts/LanguageDb.h"

namespace vor {

// Everything the flow needs from outside; each function may be left empty (then it is skipped).
struct FlowEnvironment {
    EventPump* pump = nullptr;  // clock of the task log and the records
    std::string programDir;     // where the image and the language database lie
    std::string setupRecord = LoadResString(ResSetupRecord);
    std::optional<int> languageColumn;                        // instead of the setup record's
    std::string imageFile;                                    // instead of the setup record's (a path)
    std::function<int(int)> setPriority;                      // class in, class read back out
    std::function<void(const std::string&)> startProgram;     // the follow-up program at close
    std::function<void()> endProgram;                         // ends the event loop and every wait
    std::function<void(const std::string&)> printDiagnostic;  // one line for the console (standard error)
    // Why the cable's port could not be opened; empty: the outcome's own result.
    std::function<PortDiagnosis(const PortOpenOutcome&)> diagnosePort;
    // Keeps the computer awake while the DC is written.
    std::shared_ptr<SleepInhibitor> sleepInhibitor;
    // Where attempt records go (beside the backups); empty: none are written.
    std::function<std::filesystem::path()> recordFolder;
    // A profile command of the terminal, run where the update would start.
    ProfileTask task;
};

class WizardFlow : public WizardServices {
public:
    static constexpr const char* FixedBoxCaption = "Firmware Update";
    static constexpr double CloseWaitSeconds = 1.0;  // lets a waiting command see LinkAbort

    // The flow is built before whatever shows it: the front end attaches itself.
    WizardFlow(WizardState& state, FlowEnvironment env);
    void attach(FrontEnd& frontEnd);

    void setBackend(WizardBackend* backend) { backend_ = backend; }

    // Start-up up to the first page. False when the program has already ended.
    bool Start();
    // The user's Next, Back and Close; each runs to its end (the update inside Next).
    void Next();
    void Back();
    void Close();
    // Ends at once, without any close step (the agreement refused).
    void EndAtOnce();

    bool ended() const { return ended_; }
    bool closing() const { return closing_; }
    // Next or Close is under way and may wait on the DC: a loop of the system's own (a
    // menu, a file dialog) opened now would hold it, and the DC's link, beneath it.
    bool busy() const { return !ended_ && (nextRunning_ || closing_); }
    // What the process should return once the program has ended during start-up for a
    // fault (the reason has gone to printDiagnostic); 0 otherwise.
    int exitStatus() const { return exitStatus_; }
    bool nextEnabled() const { return nextEnabled_; }
    bool backEnabled() const { return backEnabled_; }
    // The instruction page shown (1 or 2), 0 while the task log is shown.
    int pageShown() const { return pageShown_; }
    const std::vector<TaskRow>& rows() const { return taskLog_.rows(); }
    // What the run has come to so far: the last attempt, a recovery at close, and the
    // backup files on disk now.
    RunOutcome Outcome() const;
    // How the profile command ended; nothing when none was asked for. A command that
    // never reached the DC (it did not answer at the first page) ended as "not read".
    std::optional<TaskOutcome> TaskResult() const;
    // The outcome in words, with the failed step's own text.
    std::string OutcomeText(const RunOutcome& outcome);
    // The record of the last attempt with the task log as it stands now (a record of
    // no attempt before the first one), for "Save log...".
    AttemptRecord RecordSoFar();
    // Where "Save log..." offers to put it: beside the attempt records, named by the time.
    std::filesystem::path RecordPathSuggestion() const;
    // "Save log...": the record so far written to `path`; a failure gets its box.
    void SaveRecordAs(const std::string& path);

    // WizardServices
    void InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) override;
    void SetTaskStatus(const std::string& s) override;
    void ResetStage() override;
    std::string GetText(std::int32_t number) override;
    BoxAnswer MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                         const std::string& text) override;
    int SetProcessPriority(int priorityClass) override;

private:
    void InitInfo();
    void OpenLanguageDb();
    // A problem the diver can run with: to the console and into every attempt record.
    void Warn(const std::string& text);
    void TestInterface();
    // Runs a handler's work; ProgramEnding unwinds quietly, other errors get a box.
    bool Guarded(const std::function<void()>& work);
    AttemptRecord BeginAttempt(const char* kind);
    enum class NextOutcome { Stop, UpdateStarted, ShowPage };
    NextOutcome IdentifyAndPrepare();
    void StartUpdate();
    void ShowPage(int stage);
    void SetButtons(bool next, bool back);
    void SetNext(bool enabled) { SetButtons(enabled, backEnabled_); }
    void SetBack(bool enabled) { SetButtons(nextEnabled_, enabled); }
    void RecoverAtClose();
    void FinishEnd();
    void RecordAttempt(AttemptRecord record, const std::string& interruption = {}) noexcept;
    void InsertSummary(const RunOutcome& outcome);
    // The database closes with the program, and the last line is told after that.
    void KeepFailedStepText();
    std::unique_ptr<SleepInhibitor::Hold> KeepAwake(const char* why);
    WizardState& state_;
    FlowEnvironment env_;
    FrontEnd* frontEnd_;
    WizardBackend* backend_ = nullptr;
    LanguageDb db_;
    std::string closeProgram_;
    TaskLog taskLog_;
    bool ended_ = false;
    bool closing_ = false;
    bool nextRunning_ = false;
    bool resetStageCalled_ = false;
    bool updateRunning_ = false;  // inside UpdateFirmware
    bool nextEnabled_ = true;
    bool backEnabled_ = false;
    int pageShown_ = 1;
    int exitStatus_ = 0;
    std::string portName_;   // the cable's port, once open
    bool dcSilent_ = false;  // the last identity query at the first page went unanswered
    std::vector<std::string> warnings_;
    std::set<std::int32_t> missingTexts_;  // added messages the database lacks
    struct {
        std::int32_t number = 0;
        std::string text;
    } keptStep_;  // the failed step's text, looked up before the database closed
    AttemptRecord lastAttempt_;
    std::optional<TaskOutcome> taskOutcome_;
};

}  // namespace vor
