// vor-fwupdate.exe: the firmware update on Windows, without Qt. The one place that
// builds the live program and hands its flow to the front end.

#include <cstdio>
#include <string>

#include "app/Cable.h"
#include "app/CommandLine.h"
#include "app/LiveProgram.h"
#include "cli/RunCli.h"
#include "flow/ExitStatus.h"
#include "platform/win32/Win32EventPump.h"
#include "platform/win32/Win32Process.h"

int main(int argc, char* argv[]) {
    const vor::CommandLine command =
        vor::ParseCommandLine(argc, argv, VOR_VERSION, vor::ProgramShows{.window = false, .demo = false});
    if (command.action != vor::CommandLine::Action::Run) {
        const bool failed = command.action == vor::CommandLine::Action::Fail;
        std::fputs(command.text.c_str(), failed ? stderr : stdout);
        return failed ? vor::ExitUsage : 0;
    }
    const vor::CliOptions& options = command.options.terminal;
    const std::string programDir = vor::ProgramFolder();
    if (options.listPorts) return vor::ListCables(programDir, vor::CablePorts(), vor::TryCablePort);
    vor::Win32EventPump pump;
    const std::function<void()> endProgram = [&pump] { pump.endProgram(); };
    vor::LiveProgram program(vor::SystemParts{pump, programDir, endProgram, vor::StartDetachedProgram},
                             vor::RunChoices{options.port, options.image, options.languageColumn});
    return vor::RunTerminal(program.flow(), options, endProgram);
}
