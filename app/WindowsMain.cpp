// vor-fwupdate.exe: the firmware update wizard on Windows, in its native window or
// (--cli) on a terminal, without Qt. The one place that builds the live program and
// hands its flow to the front end.
//
// One console program serves both: a terminal run keeps its console (the command
// prompt waits for it, reads its answers and passes Ctrl-C), and the window drops the
// console that Windows made for it when it was started from the Start menu.

#include <windows.h>

#include <string>

#include "app/Cable.h"
#include "app/CommandLine.h"
#include "app/LiveProgram.h"
#include "cli/RunCli.h"
#include "platform/win32/Win32EventPump.h"
#include "platform/win32/Win32Process.h"
#include "winwizard/WizardWindow.h"

namespace vor {
namespace {

RunChoices ChoicesOf(const CliOptions& options) {
    return {options.port, options.image, options.languageColumn, options.task};
}

// A console nobody else shares was made for this program alone: nobody reads it.
void LeaveOwnConsole() {
    DWORD processes[2];
    if (::GetConsoleProcessList(processes, 2) == 1) ::FreeConsole();
}

int RunInWindow(const CliOptions& options, const std::string& programDir) {
    LeaveOwnConsole();
    Win32EventPump pump;
    const std::function<void()> endProgram = [&pump] { pump.endProgram(); };
    LiveProgram program(SystemParts{pump, programDir, endProgram, StartDetachedProgram}, ChoicesOf(options));
    WizardWindow window(program.flow(), pump, programDir);
    if (!program.flow().Start()) return program.flow().exitStatus();  // ended during start-up
    window.show();
    window.run();
    return program.flow().exitStatus();
}

}  // namespace
}  // namespace vor

int main(int argc, char* argv[]) {
    const vor::CommandLine command = vor::ParseCommandLine(argc, argv, VOR_VERSION, /*withDemo=*/false);
    if (const auto status = vor::EndsWithoutRun(command)) return *status;
    const vor::CliOptions& options = command.options.terminal;
    const std::string programDir = vor::ProgramFolder();
    if (!command.options.cli) return vor::RunInWindow(options, programDir);
    if (options.listPorts) return vor::ListCables(programDir, vor::CablePorts(), vor::TryCablePort);
    vor::Win32EventPump pump;
    const std::function<void()> endProgram = [&pump] { pump.endProgram(); };
    vor::LiveProgram program(vor::SystemParts{pump, programDir, endProgram, vor::StartDetachedProgram},
                             vor::ChoicesOf(options));
    return vor::RunTerminal(program.flow(), options, endProgram);
}
