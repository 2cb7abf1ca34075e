#pragma once
// The demo: the wizard against the simulated DC, which runs as `vor-tool sim` on a
// pseudo-terminal beside the program. With a display the diver clicks as usual and
// the simulated DC wakes from deep sleep by itself a few seconds after the command.
// Without one the demo runs offscreen, presses the buttons itself, answers every
// box, and prints every task-log row and its outcome to the terminal.

#include <QObject>
#include <QProcess>
#include <memory>
#include <string>

#include "cli/TerminalAnswers.h"
#include "cli/TerminalFrontEnd.h"
#include "flow/WizardFlow.h"
#include "session/WizardState.h"
#include "wizard/BoxPresenter.h"

class QTimer;

namespace vor {

class MFUMain;

// True when no display can be used: then the demo must run offscreen. Call before
// the QApplication exists.
bool DemoNeedsOffscreen();

// The simulated DC process. Its port name is empty when it could not be started.
class DemoSimulator {
public:
    static constexpr int StartTimeoutMs = 10000;
    static constexpr const char* WakeAfterSeconds = "3";  // a few seconds after the deep-sleep command
    static constexpr const char* RestartAfterSeconds = "4";

    explicit DemoSimulator(const std::string& programDir);
    ~DemoSimulator();
    const std::string& portName() const { return portName_; }
    const std::string& error() const { return error_; }

private:
    QProcess process_;
    std::string portName_;
    std::string error_;
};

// What an unattended demo tells the terminal, printed as `--cli` prints it: every
// task-log row of the window, and every box with the answer --yes would give (a step
// that OK repeats is tried at most three times, then the box gets the safe answer).
class DemoTerminal : public BoxPresenter {
public:
    DemoTerminal();
    BoxAnswer show(QWidget* owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                   const std::string& text) override;
    // A row of the window's task log, new or with its status changed.
    void onRow(const TaskRow& row, bool added);
    void say(const std::string& line) { terminal_.Say(line); }

private:
    TerminalAnswers answers_;
    TerminalFrontEnd terminal_;
};

// Presses Next for an unattended demo, and Close once the update has run.
class DemoPilot : public QObject {
    Q_OBJECT
public:
    static constexpr int TickMs = 500;
    static constexpr double WaitOnSleepPageSeconds = 6.0;  // the DC wakes itself meanwhile
    static constexpr int CloseAfterUpdateMs = 1500;

    DemoPilot(MFUMain& window, WizardFlow& flow, const WizardState& state, DemoTerminal& terminal);

private:
    void tick();
    void press(const char* button);
    MFUMain& window_;
    WizardFlow& flow_;
    const WizardState& state_;
    DemoTerminal& terminal_;
    QTimer* timer_;
    int ticksOnStage2_ = 0;
    bool pressedFirstNext_ = false;
    bool pressedUpdateNext_ = false;
    bool closing_ = false;
};

}  // namespace vor
