// vor-fwupdate: the firmware update wizard, in its window or (--cli) on a terminal.

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "cli/RunCli.h"
#include "platform/Printer.h"
#include "platform/QtEventPump.h"
#include "session/Messages.h"
#include "wizard/AppOptions.h"
#include "flow/CableBackend.h"
#include "wizard/BoxPresenter.h"
#include "wizard/Demo.h"
#include "wizard/MFUMain.h"

int main(int argc, char* argv[]) {
    // Read before any window can exist, so that --help and --version need no display.
    vor::CommandLine command;
    {
        const QCoreApplication reading(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral(VOR_VERSION));
        command = vor::ParseCommandLine(QCoreApplication::arguments());
    }
    if (command.action != vor::CommandLine::Action::Run) {
        const bool failed = command.action == vor::CommandLine::Action::Fail;
        std::fputs(command.text.c_str(), failed ? stderr : stdout);
        return failed ? 2 : 0;
    }
    vor::AppOptions options = std::move(command.options);
    // The terminal needs no display and makes no window: decided before any application object exists.
    if (options.cli) return vor::RunCli(options.terminal, argc, argv);

    // Decided before Qt picks its platform: an unattended demo runs offscreen.
    const bool unattendedDemo = options.demo && vor::DemoNeedsOffscreen();
    if (unattendedDemo) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        std::printf("demo: no display available; running offscreen, pressing the buttons myself\n");
    }

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);  // only the close sequence ends the program

    const std::string programDir = QCoreApplication::applicationDirPath().toStdString();

    std::unique_ptr<vor::DemoSimulator> simulator;
    if (options.demo) {
        simulator = std::make_unique<vor::DemoSimulator>(programDir);
        if (simulator->portName().empty()) {
            std::fprintf(stderr, "vor-fwupdate --demo: %s\n", simulator->error().c_str());
            return 1;
        }
        options.port = simulator->portName();
        std::printf("demo: simulated DC on %s\n", options.port.c_str());
        std::fflush(stdout);
    }

    vor::QtEventPump pump;
    vor::QtBoxPresenter realBoxes;
    vor::DemoBoxes demoBoxes;
    vor::SystemTextPrinter printer;
    vor::WizardState state;
    vor::WizardEnvironment env = vor::DefaultEnvironment(
        pump, unattendedDemo ? static_cast<vor::BoxPresenter&>(demoBoxes) : realBoxes, printer, programDir);
    env.endProgram = [&pump] {
        pump.endProgram();
        QCoreApplication::exit(0);
    };

    vor::MFUMain window(state, std::move(env));
    const std::unique_ptr<vor::WizardBackend> backend =
        vor::MakeCableBackend(options.port, state, window, pump, programDir);
    window.setBackend(backend.get());

    std::unique_ptr<vor::DemoPilot> pilot;
    if (options.demo) {
        window.setTaskObserver([&pilot](const vor::TaskRow& row) {
            vor::PrintTaskRow(row);
            if (pilot) pilot->onRow(row);
        });
    }
    if (!window.Form_Load()) return window.exitStatus();  // ended during start-up: no event loop
    if (unattendedDemo)
        pilot = std::make_unique<vor::DemoPilot>(window, state, window.GetText(vor::Msg::UpdateSucceeded),
                                                 window.GetText(vor::Msg::UpdateFailed));
    window.show();
    return app.exec();
}
