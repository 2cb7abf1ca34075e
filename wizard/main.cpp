// vor-fwupdate: the firmware update wizard.

#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Printer.h"
#include "platform/QtEventPump.h"
#include "wizard/AppOptions.h"
#include "wizard/BackendFactory.h"
#include "wizard/BoxPresenter.h"
#include "wizard/MFUMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);  // only the close sequence ends the program

    std::vector<std::string> args;
    for (const QString& a : app.arguments().mid(1)) args.push_back(a.toStdString());
    std::string error;
    const std::optional<vor::AppOptions> options = vor::ParseAppOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "vor-fwupdate: %s\nusage: vor-fwupdate [--port NAME] [--demo]\n", error.c_str());
        return 2;
    }

    vor::QtEventPump pump;
    vor::QtBoxPresenter boxes;
    vor::SystemTextPrinter printer;
    vor::WizardState state;
    vor::WizardEnvironment env =
        vor::DefaultEnvironment(pump, boxes, printer, QCoreApplication::applicationDirPath().toStdString());
    env.endProgram = [&pump] {
        pump.endProgram();
        QCoreApplication::exit(0);
    };

    vor::MFUMain window(state, std::move(env));
    const std::unique_ptr<vor::WizardBackend> backend = vor::MakeBackend(*options, state, window, pump);
    window.setBackend(backend.get());
    if (!window.Form_Load()) return 0;  // ended during start-up: no event loop
    window.show();
    return app.exec();
}
