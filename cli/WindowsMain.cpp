// vor-fwupdate.exe: the firmware update wizard's window, or (--cli, --list-ports) the
// update on a Windows terminal, without Qt.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/CliCommandLine.h"
#include "cli/RunCli.h"
#include "flow/CableBackend.h"
#include "flow/ExitStatus.h"
#include "flow/WizardFlow.h"
#include "platform/PortDiagnosis.h"
#include "platform/ProcessPriority.h"
#include "platform/win32/Win32EventPump.h"
#include "platform/win32/Win32Process.h"
#include "profile/BackupFolder.h"
#include "winwizard/WizardWindow.h"

namespace {

// Temporary until the program's shell is in one place: the window unless the command
// line asks for the terminal.
bool WantsTerminal(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* terminal : {"--cli", "--list-ports", "-h", "--help", "-v", "--version"})
            if (std::strcmp(argv[i], terminal) == 0) return true;
    return false;
}

std::string PortOption(int argc, char* argv[]) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--port") == 0) return argv[i + 1];
    return {};
}

int RunWindow(const std::string& port) {
    // Started from the Start menu the console is the program's own: it goes.
    DWORD processes[2];
    if (::GetConsoleProcessList(processes, 2) == 1) ::FreeConsole();
    const std::string programDir = vor::ProgramFolder();
    vor::Win32EventPump pump;
    vor::FlowEnvironment env;
    env.pump = &pump;
    env.programDir = programDir;
    env.setPriority = [](int priorityClass) { return vor::SetProcessPriority(0, 0, priorityClass); };
    env.startProgram = vor::StartDetachedProgram;
    env.endProgram = [&pump] { pump.endProgram(); };
    env.printDiagnostic = [](const std::string& line) { std::fprintf(stderr, "vor-fwupdate: %s\n", line.c_str()); };
    env.diagnosePort = vor::LivePortDiagnosis();
    env.sleepInhibitor = vor::MakeSystemSleepInhibitor();
    env.recordFolder = [programDir] { return vor::ChooseBackupFolder(programDir); };
    vor::WizardState state;
    vor::WizardFlow flow(state, env);
    vor::WizardWindow window(flow, pump, programDir);
    const std::unique_ptr<vor::WizardBackend> backend = vor::MakeCableBackend(port, state, flow, pump, programDir);
    flow.setBackend(backend.get());
    if (!flow.Start()) return flow.exitStatus();
    window.show();
    window.run();
    return flow.exitStatus();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!WantsTerminal(argc, argv)) return RunWindow(PortOption(argc, argv));
    const vor::CliCommandLine command = vor::ParseCliCommandLine(argc, argv, VOR_VERSION);
    if (command.action != vor::CliCommandLine::Action::Run) {
        const bool failed = command.action == vor::CliCommandLine::Action::Fail;
        std::fputs(command.text.c_str(), failed ? stderr : stdout);
        return failed ? vor::ExitUsage : 0;
    }
    return vor::RunCli(command.options, argc, argv);
}
