#pragma once
// The demo: the wizard against the simulated DC, which runs as `vor-tool sim` on a
// pseudo-terminal beside the program. With a display the diver clicks as usual and
// the simulated DC wakes from deep sleep by itself a few seconds after the command.
// Without one the demo runs offscreen, presses the buttons itself, answers every
// box, and prints every task-log row to the terminal.

#include <QObject>
#include <QProcess>
#include <memory>
#include <string>

#include "wizard/BoxPresenter.h"
#include "wizard/TaskList.h"
#include "session/WizardState.h"

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

// Prints a task-log row the way a terminal reader wants it (progress steps only as
// they pass every 25%).
void PrintTaskRow(const TaskRow& row);

// Answers the boxes of an unattended demo: OK and Yes, and prints them. Gives up
// (ends the demo with an error) rather than loop for ever.
class DemoBoxes : public BoxPresenter {
public:
    static constexpr int MaxBoxes = 12;
    BoxAnswer show(QWidget* owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                   const std::string& text) override;

private:
    int shown_ = 0;
};

// Presses Next (and, after the summary, Close) for an unattended demo.
class DemoPilot : public QObject {
    Q_OBJECT
public:
    static constexpr int TickMs = 500;
    static constexpr double WaitOnSleepPageSeconds = 6.0;  // the DC wakes itself meanwhile
    static constexpr int CloseAfterSummaryMs = 1500;

    DemoPilot(MFUMain& window, const WizardState& state, std::string successText, std::string failureText);
    // Sees every task-log row; the summary row makes the pilot press Close.
    void onRow(const TaskRow& row);

private:
    void tick();
    MFUMain& window_;
    const WizardState& state_;
    std::string successText_;
    std::string failureText_;
    QTimer* timer_;
    int ticksOnStage2_ = 0;
    bool pressedFirstNext_ = false;
    bool pressedUpdateNext_ = false;
    bool closing_ = false;
};

}  // namespace vor
