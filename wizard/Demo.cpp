#include "wizard/Demo.h"

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

void PrintTaskRow(const TaskRow& row) {
    static int lastRow = -1;
    static int lastPercent = -1;
    const bool newRow = row.row != lastRow;
    lastRow = row.row;
    if (!row.status.empty() && row.status.back() == '%') {
        const int percent = std::atoi(row.status.c_str());
        if (!newRow && percent != 100 && percent / 25 == lastPercent / 25) return;
        lastPercent = percent;
    } else {
        lastPercent = -1;
    }
    static const char* const marks[] = {"..", "ok", "!!"};
    const char* mark = row.iconInd >= 0 && row.iconInd <= 2 ? marks[row.iconInd] : "  ";
    if (newRow)
        std::printf("%s [%s] %s  %s\n", row.time.c_str(), mark, row.event.c_str(), row.status.c_str());
    else
        std::printf("%s [%s] %s  -> %s\n", row.time.c_str(), mark, row.event.c_str(), row.status.c_str());
    std::fflush(stdout);
}

BoxAnswer DemoBoxes::show(QWidget*, BoxIcon, BoxButtons buttons, const std::string& caption, const std::string& text) {
    std::printf("[box] %s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stdout);
    if (++shown_ > MaxBoxes) {
        std::fprintf(stderr, "demo: too many boxes, giving up\n");
        std::exit(3);
    }
    if (buttons == BoxButtons::ProfileChoice) return BoxAnswer::Undecided;  // a person's choice, not the demo's
    return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
}

DemoPilot::DemoPilot(MFUMain& window, const WizardState& state, std::string successText, std::string failureText)
    : window_(window),
      state_(state),
      successText_(std::move(successText)),
      failureText_(std::move(failureText)),
      timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &DemoPilot::tick);
    timer_->start(TickMs);
}

void DemoPilot::tick() {
    auto* next = window_.findChild<QPushButton*>("NextCmd");
    if (!next || !next->isEnabled() || closing_) return;
    if (!pressedFirstNext_ && state_.Stage == 1) {
        pressedFirstNext_ = true;
        std::printf("demo: pressing Next\n");
        next->click();
        return;
    }
    if (state_.Stage == 1 && pressedFirstNext_) {
        // The identity was not read: try again, as a diver would.
        pressedFirstNext_ = false;
        return;
    }
    if (state_.Stage == 2 && !pressedUpdateNext_ &&
        ++ticksOnStage2_ * TickMs >= static_cast<int>(WaitOnSleepPageSeconds * 1000)) {
        pressedUpdateNext_ = true;
        std::printf("demo: the DC is awake on its PC screen; pressing Next\n");
        next->click();
    }
}

void DemoPilot::onRow(const TaskRow& row) {
    if (closing_ || row.event.empty() || (row.event != successText_ && row.event != failureText_)) return;
    closing_ = true;
    QTimer::singleShot(CloseAfterSummaryMs, &window_, [this] {
        std::printf("demo: pressing Close\n");
        std::fflush(stdout);
        if (auto* close = window_.findChild<QPushButton*>("CloseCmd")) close->click();
    });
}

}  // namespace vor
