#pragma once
// A real MFUMain on the offscreen platform, wired to a scripted backend, a box
// presenter that answers from a script, a recording printer and a virtual clock.

#include <QPushButton>
#include <QTemporaryDir>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Printer.h"
#include "platform/fake/FakeEventPump.h"
#include "tests/support/WindowTestSupport.h"
#include "wizard/BoxPresenter.h"
#include "flow/WizardFlow.h"
#include "platform/PortDiagnosis.h"
#include "platform/SleepInhibitor.h"
#include "wizard/MFUMain.h"

namespace vor::test {

using test::EnsureApplication;
using test::ScriptedBoxes;
using test::ShownBox;

class RecordingPrinter : public TextPrinter {
public:
    QString print(QWidget*, const QStringList& lines, const QString& fontFamily) override {
        printed.push_back(lines);
        family = fontFamily;
        return failure;
    }
    std::vector<QStringList> printed;
    QString family;
    QString failure;  // what the next print reports; empty for success
};

// Every call is logged by name; results come from the script.
class ScriptedBackend : public WizardBackend {
public:
    void GetCode() override {
        log.push_back("GetCode");
        if (onGetCode) onGetCode();
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
    void UpdateFirmware() override {
        log.push_back("UpdateFirmware");
        if (onUpdate) onUpdate();
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
    std::deque<PortOpenOutcome> portOutcomes;  // Opened once they run out
    std::deque<bool> identityAnswers;          // true once they run out
    bool parseResult = true;
    std::string firmwareVersion = "1E";
    std::string deviceName = "VOR Watch DC";
    bool deepSleepResult = true;
    bool deepSleepModeSeen = false;  // DeepSleepMode when EnterDeepSleep was called
    FirmwareReport firmwareReport;   // what the fake update did, as the real one reports it
    ProfileReport profileReport;
    std::filesystem::path backupFolder;
    WizardState* state = nullptr;
    std::function<void()> onGetCode;
    std::function<void()> onUpdate;
    std::function<void()> onRecover;

private:
    static bool Next(std::deque<bool>& q, bool otherwise);
};

// The desktop around the window that a test replaces; set before build().
struct DesktopServices {
    std::function<PortDiagnosis(const PortOpenOutcome&)> diagnosePort;
    std::shared_ptr<SleepInhibitor> sleepInhibitor;
    std::function<std::filesystem::path()> recordFolder;
    std::function<std::string(const std::string& suggestedPath)> askSaveLogPath;
};

// Messages of the test database: column 1 English, column 2 German.
constexpr const char* TestTitle = "Firmware Update Wizard";
constexpr const char* TestTitleDe = "Firmware-Aktualisierung";

// Writes the test language database into `dir`; the password is the program's.
void WriteTestLanguageDb(const std::string& dir);

class WizardHarness {
public:
    WizardHarness();
    ~WizardHarness();

    // Builds the flow and its window with the given setup record (default: the built-in one).
    void build(const std::string& setupRecord = LoadResString(ResSetupRecord));
    // build() if needed, then Form_Load(); shows the window when start-up went on.
    bool start(const std::string& setupRecord = LoadResString(ResSetupRecord));

    QPushButton* button(const char* name) const;
    template <typename T>
    T* control(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* name) const;

    // The stages 1 -> 2 (Deep Sleep acknowledged) in one go.
    void reachDeepSleepPage();

    QTemporaryDir dir;  // program folder with the test database
    FakeEventPump pump;
    ScriptedBoxes boxes;
    RecordingPrinter printer;
    ScriptedBackend backend;
    WizardState state;
    std::vector<int> priorityCalls;
    std::vector<std::string> startedPrograms;
    int endCalls = 0;
    std::vector<std::string> diagnostics;  // lines meant for standard error
    DesktopServices desktop;
    std::unique_ptr<WizardFlow> flow;
    std::unique_ptr<MFUMain> window;
};

}  // namespace vor::test
