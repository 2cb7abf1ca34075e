#include "app/Demo.h"

#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/DisplayServer.h"
#include "wizard/MFUMain.h"

namespace vor {

bool DemoNeedsOffscreen() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty()) return platform == "offscreen" || platform == "minimal";
    return !HasDisplayServer();
}

DemoSimulator::DemoSimulator(const std::string& programDir) {
    const QString tool = QString::fromStdString(programDir) + "/vor-tool";
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(tool, {"sim", "--wake-after", WakeAfterSeconds, "--restart-after", RestartAfterSeconds});
    if (!process_.waitForStarted(StartTimeoutMs)) {
        error_ = "cannot start " + tool.toStdString() + ": " + process_.errorString().toStdString();
        return;
    }
    // The simulator's first line names its pseudo-terminal: "port: /dev/pts/N".
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(StartTimeoutMs)) {
            error_ = "the simulated DC did not report its port";
            return;
        }
    }
    const QString line = QString::fromUtf8(process_.readLine()).trimmed();
    if (!line.startsWith("port: ")) {
        error_ = "unexpected first line from the simulated DC: " + line.toStdString();
        return;
    }
    portName_ = line.mid(6).toStdString();
}

DemoSimulator::~DemoSimulator() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.write("quit\n");
    if (!process_.waitForFinished(2000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

DemoTerminal::DemoTerminal()
    : answers_(AnswerSources{.yes = true,
                             .inputIsTerminal = false,
                             .readLine = {},
                             .prompt = {},
                             .giveUp = [](BoxButtons buttons) { return SafeAnswer(buttons); }}),
      terminal_(TerminalOutput{.write =
                                   [](const std::string& text) {
                                       std::fputs(text.c_str(), stdout);
                                       std::fflush(stdout);
                                   },
                               .isTerminal = false,
                               .json = false,
                               .progress = {}},
                answers_) {}

BoxAnswer DemoTerminal::show(QWidget*, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                             const std::string& text) {
    return terminal_.Ask(icon, buttons, caption, text);
}

void DemoTerminal::onRow(const TaskRow& row, bool added) {
    if (added)
        terminal_.RowAdded(row);
    else
        terminal_.RowChanged(row);
}

DemoPilot::DemoPilot(MFUMain& window, WizardFlow& flow, const WizardState& state, DemoTerminal& terminal)
    : window_(window), flow_(flow), state_(state), terminal_(terminal), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &DemoPilot::tick);
    timer_->start(TickMs);
}

void DemoPilot::press(const char* button) {
    if (auto* b = window_.findChild<QPushButton*>(QString::fromLatin1(button))) b->click();
}

void DemoPilot::tick() {
    auto* next = window_.findChild<QPushButton*>("NextCmd");
    // Inside a click the flow waits on the DC and this timer still ticks: no second press.
    if (closing_ || flow_.ended() || flow_.busy() || !next || !next->isEnabled()) return;
    if (!pressedFirstNext_ && state_.Stage == 1) {
        pressedFirstNext_ = true;
        terminal_.say("demo: pressing Next");
        press("NextCmd");
    } else if (state_.Stage == 1 && pressedFirstNext_) {
        // The identity was not read: try again, as a diver would.
        pressedFirstNext_ = false;
        return;
    } else if (state_.Stage == 2 && !pressedUpdateNext_ &&
               ++ticksOnStage2_ * TickMs >= static_cast<int>(WaitOnSleepPageSeconds * 1000)) {
        pressedUpdateNext_ = true;
        terminal_.say("demo: the DC is awake on its PC screen; pressing Next");
        press("NextCmd");
    }
    // Next runs the whole update inside its click: once an attempt has run, the demo ends.
    const RunOutcome outcome = flow_.Outcome();
    if (!outcome.attempted || flow_.ended()) return;
    closing_ = true;
    terminal_.say("demo: " + flow_.OutcomeText(outcome));
    QTimer::singleShot(CloseAfterUpdateMs, &window_, [this] {
        terminal_.say("demo: pressing Close");
        press("CloseCmd");
    });
}

}  // namespace vor
