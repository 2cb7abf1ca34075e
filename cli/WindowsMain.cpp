// vor-fwupdate.exe: the firmware update on a Windows terminal (--cli), without Qt.

#include <cstdio>

#include "cli/CliCommandLine.h"
#include "cli/RunCli.h"

int main(int argc, char* argv[]) {
    const vor::CliCommandLine command = vor::ParseCliCommandLine(argc, argv, VOR_VERSION);
    if (command.action != vor::CliCommandLine::Action::Run) {
        const bool failed = command.action == vor::CliCommandLine::Action::Fail;
        std::fputs(command.text.c_str(), failed ? stderr : stdout);
        return failed ? vor::ExitUsage : 0;
    }
    return vor::RunCli(command.options, argc, argv);
}
