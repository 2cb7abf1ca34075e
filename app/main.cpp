// vor-fwupdate: the firmware update wizard, in its window or (--cli) on a terminal.
// The one place that builds the live program and hands its flow to the front end.

#include <QApplication>
#include <QProcess>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Cable.h"
#include "app/CommandLine.h"
#include "app/Demo.h"
#include "app/LiveProgram.h"
#include "cli/RunCli.h"
#include "flow/ExitStatus.h"
#include "platform/Printer.h"
#include "platform/QtEventPump.h"
#include "wizard/BoxPresenter.h"
#include "wizard/MFUMain.h"

namespace vor {
namespace {

void StartDetached(const std::string& path) {
    // Started on its own; the wizard does not wait for it.
    QProcess::startDetached(QString::fromStdString(path), {});
}

RunChoices ChoicesOf(const CliOptions& options) {
    return {options.port, options.image, options.languageColumn, options.task};
}

// The terminal needs no display and makes no window.
int RunOnTerminal(const CliOptions& options, int& argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const std::string programDir = QCoreApplication::applicationDirPath().toStdString();
    if (options.listPorts) return ListCables(programDir, CablePorts(), TryCablePort);
    QtEventPump pump;
    const std::function<void()> endProgram = [&pump] { pump.endProgram(); };
    LiveProgram program(SystemParts{pump, programDir, endProgram, StartDetached}, ChoicesOf(options));
    return RunTerminal(program.flow(), options, endProgram);
}

int RunInWindow(AppOptions options, int& argc, char** argv) {
    // Decided before Qt picks its platform: an unattended demo runs offscreen.
    const bool unattendedDemo = options.demo && DemoNeedsOffscreen();
    if (unattendedDemo) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        std::printf("demo: no display available; running offscreen, pressing the buttons myself\n");
    }

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);  // only the close sequence ends the program
    const std::string programDir = QCoreApplication::applicationDirPath().toStdString();

    std::unique_ptr<DemoSimulator> simulator;
    if (options.demo) {
        simulator = std::make_unique<DemoSimulator>(programDir);
        if (simulator->portName().empty()) {
            std::fprintf(stderr, "vor-fwupdate --demo: %s\n", simulator->error().c_str());
            return ExitFailed;
        }
        options.terminal.port = simulator->portName();
        std::printf("demo: simulated DC on %s\n", options.terminal.port.c_str());
        std::fflush(stdout);
    }

    QtEventPump pump;
    const auto endProgram = [&pump] {
        pump.endProgram();
        QCoreApplication::exit(0);
    };
    LiveProgram program(SystemParts{pump, programDir, endProgram, StartDetached}, ChoicesOf(options.terminal));

    QtBoxPresenter realBoxes;
    DemoTerminal demoTerminal;
    SystemTextPrinter printer;
    WindowEnvironment env;
    env.boxes = unattendedDemo ? static_cast<BoxPresenter*>(&demoTerminal) : &realBoxes;
    env.printer = &printer;
    env.programDir = programDir;
    MFUMain window(program.flow(), std::move(env));

    if (options.demo)
        window.setTaskObserver([&demoTerminal](const TaskRow& row, bool added) { demoTerminal.onRow(row, added); });
    if (!window.Form_Load()) return program.flow().exitStatus();  // ended during start-up: no event loop
    std::unique_ptr<DemoPilot> pilot;
    if (unattendedDemo) pilot = std::make_unique<DemoPilot>(window, program.flow(), program.state(), demoTerminal);
    window.show();
    return app.exec();
}

}  // namespace
}  // namespace vor

int main(int argc, char* argv[]) {
    // Read before any window can exist, so that --help and --version need no display.
    const vor::CommandLine command = vor::ParseCommandLine(argc, argv, VOR_VERSION, /*withDemo=*/true);
    if (const auto status = vor::EndsWithoutRun(command)) return *status;
    if (command.options.cli) return vor::RunOnTerminal(command.options.terminal, argc, argv);
    return vor::RunInWindow(command.options, argc, argv);
}
