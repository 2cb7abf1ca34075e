#pragma once
// The wizard's flow as every front end runs it, with a front end made for tests: it
// records what the flow shows and answers boxes from a script. Behind the flow a
// scripted backend, a virtual clock and a language database of the test's own.

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flow/FrontEnd.h"
#include "flow/WizardBackend.h"
#include "flow/WizardFlow.h"
#include "platform/PortDiagnosis.h"
#include "platform/SleepInhibitor.h"
#include "platform/fake/FakeEventPump.h"
#include "tests/support/ScriptedAnswers.h"

namespace vor::test {

// Shows nothing: keeps what a window would show, and asks the script.
class TestFrontEnd : public FrontEnd, public ScriptedAnswers {
public:
    void TextsReady() override {
        textsReady = true;
        onTop = true;
    }
    void ShowPage(int stage) override { page = stage; }
    void ShowTaskLog() override {
        taskLogShown = true;
        rows.clear();
    }
    void HideTaskLog() override {
        taskLogShown = false;
        rows.clear();
    }
    void RowAdded(const TaskRow& row) override { rows.push_back(row); }
    void RowChanged(const TaskRow& row) override { rows.at(static_cast<std::size_t>(row.row)) = row; }
    void ButtonsChanged(bool next, bool back) override {
        nextEnabled = next;
        backEnabled = back;
    }
    BoxAnswer Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) override {
        return answer(icon, buttons, caption, text);
    }
    bool CanDecide() const override { return canDecide; }
    void LeaveTop() override { onTop = false; }
    void RemoveTrayIcon() override { closeSteps.push_back("RemoveTrayIcon"); }
    void HideTitle() override { closeSteps.push_back("HideTitle"); }
    void Ended() override { ended = true; }

    bool textsReady = false;
    bool onTop = false;
    int page = 0;  // the instruction page last shown
    bool taskLogShown = false;
    std::vector<TaskRow> rows;
    bool nextEnabled = true;  // as a window builds its buttons
    bool backEnabled = false;
    bool canDecide = true;
    std::vector<std::string> closeSteps;
    bool ended = false;
};

// Every call is logged by name; results come from the script.
class ScriptedBackend : public WizardBackend {
public:
    std::optional<std::string> LoadFirmwareImage() override {
        log.push_back("LoadFirmwareImage");
        if (onLoadFirmwareImage) onLoadFirmwareImage();
        return imageProblem;
    }
    PortOpenOutcome OpenInterfacePort() override;
    bool ReadIdentity() override {
        log.push_back("ReadIdentity");
        return Next(identityAnswers, true);
    }
    bool ParseIdentity() override {
        log.push_back("ParseIdentity");
        return parseResult;
    }
    std::string FirmwareVersion() override { return firmwareVersion; }
    std::string DeviceName() override { return deviceName; }
    bool EnterDeepSleep() override;
    FirmwareReport UpdateFirmware() override {
        log.push_back("UpdateFirmware");
        if (onUpdate) onUpdate();
        return firmwareReport;
    }
    void ProfileRecovering() override {
        log.push_back("ProfileRecovering");
        if (onRecover) onRecover();
    }
    FirmwareReport FirmwareFacts() override { return firmwareReport; }
    ProfileReport ProfileFacts() override { return profileReport; }
    void AbortLink() override { log.push_back("AbortLink"); }
    void WaitSeconds(double seconds) override { log.push_back("WaitSeconds " + std::to_string(seconds)); }
    void ReleaseReplyBuffers() override { log.push_back("ReleaseReplyBuffers"); }

    std::vector<std::string> log;
    std::optional<std::string> imageProblem;   // the image loads, unless a test says why not
    std::deque<PortOpenOutcome> portOutcomes;  // Opened once they run out
    std::deque<bool> identityAnswers;          // true once they run out
    bool parseResult = true;
    std::string firmwareVersion = "1E";
    std::string deviceName = "VOR Watch DC";
    bool deepSleepResult = true;
    bool deepSleepModeSeen = false;  // DeepSleepMode when EnterDeepSleep was called
    FirmwareReport firmwareReport;   // what the fake update did, as the real one reports it
    ProfileReport profileReport;
    WizardState* state = nullptr;
    std::function<void()> onLoadFirmwareImage;
    std::function<void()> onUpdate;
    std::function<void()> onRecover;

private:
    static bool Next(std::deque<bool>& q, bool otherwise);
};

// The desktop around the flow that a test replaces; set before build().
struct DesktopServices {
    std::function<PortDiagnosis(const PortOpenOutcome&)> diagnosePort;
    std::shared_ptr<SleepInhibitor> sleepInhibitor;
    std::function<std::filesystem::path()> recordFolder;
};

// Messages of the test database: column 1 English, column 2 German.
constexpr const char* TestTitle = "Firmware Update Wizard";
constexpr const char* TestTitleDe = "Firmware-Aktualisierung";

// Writes the test language database into `dir`; the password is the program's.
void WriteTestLanguageDb(const std::filesystem::path& dir);

class FlowHarness {
public:
    FlowHarness();
    virtual ~FlowHarness();
    FlowHarness(const FlowHarness&) = delete;
    FlowHarness& operator=(const FlowHarness&) = delete;

    // Builds the flow with the given setup record (default: the built-in one) and
    // shows it on `frontEnd`.
    virtual void build(const std::string& setupRecord = LoadResString(ResSetupRecord));
    // build() if needed, then start-up; false when the program ended during it.
    virtual bool start(const std::string& setupRecord = LoadResString(ResSetupRecord));

    // The user's buttons, as a window passes them on; each must be enabled.
    void next();
    void back();
    void close();
    // The stages 1 -> 2 (Deep Sleep acknowledged) in one go.
    void reachDeepSleepPage();
    // A profile saved and not yet written back, as a failed update leaves it: its file
    // lies in the folder and ProfileIntact is false.
    void leavePendingBackup();
    // The backend's calls after start-up's LoadFirmwareImage and OpenInterfacePort.
    std::vector<std::string> callsAfterStartUp() const;

    std::filesystem::path dir;  // program folder with the test database
    FakeEventPump pump;
    TestFrontEnd frontEnd;
    ScriptedBackend backend;
    WizardState state;
    std::vector<int> priorityCalls;
    std::vector<std::string> startedPrograms;
    int endCalls = 0;
    std::vector<std::string> diagnostics;  // lines meant for standard error
    DesktopServices desktop;
    std::unique_ptr<WizardFlow> flow;
};

}  // namespace vor::test
