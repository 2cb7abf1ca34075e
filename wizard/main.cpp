// vor-fwupdate: the firmware update wizard.

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/Printer.h"
#include "platform/QtEventPump.h"
#include "session/Messages.h"
#include "wizard/AppOptions.h"
#include "wizard/BackendFactory.h"
#include "wizard/BoxPresenter.h"
#include "wizard/Demo.h"
#include "wizard/MFUMain.h"

namespace {

bool WantsDemo(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--demo") return true;
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Decided before Qt picks its platform: an unattended demo runs offscreen.
    const bool unattendedDemo = WantsDemo(argc, argv) && vor::DemoNeedsOffscreen();
    if (unattendedDemo) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        std::printf("demo: no display available; running offscreen, pressing the buttons myself\n");
    }

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);  // only the close sequence ends the program

    std::vector<std::string> args;
    for (const QString& a : app.arguments().mid(1)) args.push_back(a.toStdString());
    std::string error;
    std::optional<vor::AppOptions> options = vor::ParseAppOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "vor-fwupdate: %s\nusage: vor-fwupdate [--port NAME] [--demo]\n", error.c_str());
        return 2;
    }
    const std::string programDir = QCoreApplication::applicationDirPath().toStdString();

    std::unique_ptr<vor::DemoSimulator> simulator;
    if (options->demo) {
        simulator = std::make_unique<vor::DemoSimulator>(programDir);
        if (simulator->portName().empty()) {
            std::fprintf(stderr, "vor-fwupdate --demo: %s\n", simulator->error().c_str());
            return 1;
        }
        options->port = simulator->portName();
        std::printf("demo: simulated DC on %s\n", options->port.c_str());
        std::fflush(stdout);
    }

    vor::QtEventPump pump;
    vor::QtBoxPresenter realBoxes;
    vor::DemoBoxes demoBoxes;
    vor::SystemTextPrinter printer;
    vor::WizardState state;
    vor::WizardEnvironment env = vor::DefaultEnvironment(pump, unattendedDemo ? static_cast<vor::BoxPresenter&>(demoBoxes)
                                                                               : realBoxes,
                                                         printer, programDir);
    env.endProgram = [&pump] {
        pump.endProgram();
        QCoreApplication::exit(0);
    };

    vor::MFUMain window(state, std::move(env));
    const std::unique_ptr<vor::WizardBackend> backend = vor::MakeBackend(*options, state, window, pump);
    window.setBackend(backend.get());

    std::unique_ptr<vor::DemoPilot> pilot;
    if (options->demo) {
        window.setTaskObserver([&pilot](const vor::TaskRow& row) {
            vor::PrintTaskRow(row);
            if (pilot) pilot->onRow(row);
        });
    }
    if (!window.Form_Load()) return window.exitStatus();  // ended during start-up: no event loop
    if (unattendedDemo) pilot = std::make_unique<vor::DemoPilot>(window, state, window.GetText(vor::Msg::UpdateSucceeded),
                                                            window.GetText(vor::Msg::UpdateFailed));
    window.show();
    return app.exec();
}
