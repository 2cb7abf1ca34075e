#pragma once
// The whole program on the fake clock: the real MFUMain offscreen, the real
// AppBackend (link, image, profile keeper, update sequence) on a FakeSerialPort, and
// the simulated DC attached in-process. A Harness is one DC with its program folder
// (language database and image) and its backup folder. Each start of the program gets
// its own pump, port and window; the DC, memory and firmware included, moves from one
// start to the next, as the real DC stays on the cable while the program is restarted.
//
// Every start runs under a budget of fake time and yields: a run that exceeds it is
// ended (as if the program were killed) and overran() tells, so a hang fails the test
// instead of stalling it.
//
// The same user and the same checks run against either front end of the flow: the
// window (clicked offscreen) or, with VOR_E2E_FRONT_END=terminal, the terminal of
// `--cli` (its JSON event stream is read back as the task log).

#include <QTemporaryDir>

#include "tests/support/WindowTestSupport.h"
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOutcome.h"
#include "flow/ProfileTask.h"
#include "firmware/ImageCodec.h"
#include "platform/fake/FakeEventPump.h"
#include "platform/fake/FakeSerialPort.h"
#include "tools/dcsim/SimPeer.h"
#include "wizard/BoxPresenter.h"
#include "session/WizardState.h"

class QWidget;

namespace vor {
class AppBackend;
class MFUMain;
}  // namespace vor

namespace vor::e2e {

using test::EnsureApplication;
using test::ScriptedBoxes;
using test::ShownBox;

// Fake time and yields one start of the program may use before it counts as hung.
constexpr double RunTimeBudget = 2 * 3600.0;
constexpr std::uint64_t RunYieldBudget = 5'000'000;

class BoundedPump : public FakeEventPump {
public:
    void setBudget(double untilTime, std::uint64_t maxYields) {
        untilTime_ = untilTime;
        maxYields_ = maxYields;
    }
    void yieldUntil(double deadline) override;
    bool overran() const { return overran_; }

private:
    double untilTime_ = std::numeric_limits<double>::infinity();
    std::uint64_t maxYields_ = std::numeric_limits<std::uint64_t>::max();
    bool overran_ = false;
};

// One task-log row as the window shows it, texts of the language database written as
// "M<number>" (inside longer texts too).
struct LogRow {
    int icon = 0;
    std::string event;
    std::string status;
    bool operator==(const LogRow&) const = default;
};
std::ostream& operator<<(std::ostream& out, const LogRow& row);
// How a LogRow writes the text of `message` (a Msg:: number).
std::string M(std::int32_t message);

// The rows of the window's task log, message texts written as "M<number>".
std::vector<LogRow> TaskLogOf(const QWidget& window);
std::string LogText(const std::vector<LogRow>& rows);

// The demo image's description (resources/demo-image.txt), for variants.
ImageContent DemoImageContent();

enum class FrontEndKind { Window, Terminal };
FrontEndKind FrontEndUnderTest();

class Harness {
public:
    // `image` empty: the demo image VOR.1H.FWR of the program folder.
    explicit Harness(sim::DcConfig dc = {}, std::optional<ImageContent> image = std::nullopt);
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // Starts the program (start-up up to the first page). False when it ended during start-up.
    bool start();
    bool started() const { return !starts_.empty(); }
    // The program ended (Close or kill); a new start on the same DC and folders. The
    // image may be another one, as after installing a newer program. A pulled cable
    // is plugged in again.
    bool startAgain(std::optional<ImageContent> image = std::nullopt);
    // Ends the program where it stands, without the close sequence (SIGKILL).
    void kill();
    bool ended() const;
    bool overran() const;

    // ---- the user ----
    void clickNext();
    void clickBack();
    void clickClose();
    // Holds A and S on the DC: wakes it from deep sleep into the PC screen.
    void pressDcButtons();
    // The cable out of the PC and back in (the program must open its port again).
    void pullCable();
    void plugCableBack();
    // Lets fake time pass while the window is idle.
    void waitFor(double seconds);
    // Clicks Close (or kills the program) `delay` seconds after the DC has taken a unit
    // for which `when(kind, totalExchanges)` holds; once.
    using UnitTrigger = std::function<bool(sim::UnitKind, int)>;
    void closeWhen(UnitTrigger when, double delay = 0.0);
    void killWhen(UnitTrigger when);
    // Clicks Close at fake time `at` of the current start.
    void closeAt(double at);
    // Runs `action` `delay` seconds after the DC has taken a unit for which `when` holds; once.
    void addTrigger(UnitTrigger when, double delay, std::function<void()> action);
    // Recovery the way the diver does it: Yes, then OK on the instructions (waking
    // the DC while reading them), up to `okCount` times, then Cancel.
    void answerRecovery(int okCount = 3);

    // ---- what is seen ----
    std::vector<LogRow> log() const;
    std::string logText() const;  // one row per line, for failure messages
    // The first row that starts the update (message 782) and everything after it.
    std::vector<LogRow> updateLog() const;
    bool deepSleepPageShown() const;
    bool buttonEnabled(const char* name) const;
    WizardState& state();
    ScriptedBoxes& boxes();
    BoundedPump& pump();
    FakeSerialPort& port();
    sim::SimulatedDc& dc();
    AppBackend& backend();
    std::filesystem::path backupFile() const;  // "<model>.<serial>.bin" in the backup folder
    std::uint32_t serial() const { return dcConfig_.serial; }
    std::vector<int> priorityClasses() const;  // every class the current start set, in order
    const std::filesystem::path& backupFolder() const { return backupFolder_; }
    // From the next start on, the profile command `task` runs where the update would.
    void runTask(ProfileTask task) { task_ = std::move(task); }
    // Rewrites the program folder's language database without the messages the program
    // added (900 and up), as a database made for the original set of messages.
    void dropAddedMessages();
    // From the next start on, saved profiles are also looked for in these folders (a
    // program moved between a writable folder and a system one).
    void alsoLookIn(std::vector<std::filesystem::path> folders) { otherBackupFolders_ = std::move(folders); }
    std::string text(std::int32_t message) const;
    // The terminal's event stream of the current start (empty for the window).
    std::string terminalOutput() const;
    // What the current start came to, as the terminal reports it on exit (the same
    // value the window's summary row and the attempt record read).
    CliOutcome outcome();
    // The newest attempt record of the current start; empty when it wrote none.
    std::string lastRecord() const;
    // The current start was ended by kill(): it could tell nobody anything.
    bool killed() const;

private:
    struct Start;
    Start& current() const;
    std::vector<std::filesystem::path> records() const;
    void useImage(const std::optional<ImageContent>& image);
    bool launch(std::optional<sim::SimulatedDc> dc);
    void click(const char* name);
    void press(const char* name);

    QTemporaryDir programDir_;
    QTemporaryDir backupDir_;
    std::filesystem::path backupFolder_;
    std::vector<std::filesystem::path> otherBackupFolders_;
    ProfileTask task_;
    std::string imageFile_;
    int modelNumber_ = 0;
    sim::DcConfig dcConfig_;
    std::vector<std::unique_ptr<Start>> starts_;  // every start stays alive to the end
};

}  // namespace vor::e2e
