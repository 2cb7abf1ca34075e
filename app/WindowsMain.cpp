// The firmware update wizard on Windows, without Qt: the one place that builds the
// live program and hands its flow to the front end. Built twice from this file:
//
// - vor-fwupdate.exe, a GUI program: the window, started from the Start menu or
//   Explorer with no console flashing up first. A GUI program cannot serve a terminal
//   (the command prompt does not wait for it), so it sends --cli to its companion.
// - vor-fwupdate.com (VOR_TERMINAL_PROGRAM), a console program beside it: cmd and
//   PowerShell take .com before .exe, so "vor-fwupdate --cli" typed there reaches it;
//   the prompt waits, answers and Ctrl-C reach it, its exit status reaches
//   %ERRORLEVEL% and $LASTEXITCODE. Without --cli it opens the window as well.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/Cable.h"
#include "app/CommandLine.h"
#include "app/LiveProgram.h"
#include "cli/RunCli.h"
#include "flow/ExitStatus.h"
#include "platform/win32/Utf16.h"
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

// The arguments in UTF-8 from the UTF-16 command line: main's own are in the 8-bit
// code page, which garbles "Jörg" and loses "ダイビング".
std::vector<std::string> Utf8Arguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i) arguments.push_back(Utf8(wide[i]));
    if (wide) ::LocalFree(wide);
    return arguments;
}

// The program's texts are UTF-8; the console shows them as such while the run lasts
// and gets its own code page back afterwards, for the shell that started it.
class Utf8Console {
public:
    Utf8Console() : output_(::GetConsoleOutputCP()) {
        if (output_ != 0) ::SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console() {
        if (output_ != 0) ::SetConsoleOutputCP(output_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    UINT output_;  // 0: no console
};

#ifdef VOR_TERMINAL_PROGRAM
constexpr const char* WhichProgram =
    "\nvor-fwupdate.com is the terminal program (--cli, --list-ports); without them it opens the window,\n"
    "which vor-fwupdate.exe (the Start menu's) shows without a console.\n";
#else
constexpr const char* WhichProgram =
    "\nvor-fwupdate.exe is the window and has no console. For --cli and --list-ports type\n"
    "\"vor-fwupdate\" without \".exe\": the terminal program vor-fwupdate.com beside it runs.\n";

// A GUI program has no console: what it prints goes to the console of the command
// prompt that started it, if any, else into a message box.
void Say(const std::string& text, bool failed) {
    std::FILE* stream = failed ? stderr : stdout;
    const HANDLE redirected = ::GetStdHandle(failed ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    const bool toFileOrPipe = redirected && redirected != INVALID_HANDLE_VALUE;
    if (toFileOrPipe || ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!toFileOrPipe) stream = std::freopen("CONOUT$", "w", stream);
        if (!stream) return;
        std::fputs(text.c_str(), stream);
        std::fflush(stream);
        return;
    }
    ::MessageBoxW(nullptr, Utf16(text).c_str(), L"vor-fwupdate", failed ? MB_ICONERROR : MB_ICONINFORMATION);
}
#endif

// Help, the version, a bad command line; and on the window's program the terminal's
// options, which it leaves to its companion.
std::optional<int> EndsBeforeRun(CommandLine command) {
    if (command.action == CommandLine::Action::ShowHelp) command.text += WhichProgram;
#ifdef VOR_TERMINAL_PROGRAM
    return vor::EndsWithoutRun(command);
#else
    if (command.action == CommandLine::Action::Run && command.options.cli) {
        command.action = CommandLine::Action::Fail;
        command.text =
            std::string("vor-fwupdate.exe: --cli and --list-ports are the terminal program's.") + WhichProgram;
    }
    if (command.action == CommandLine::Action::Run) return std::nullopt;
    const bool failed = command.action == CommandLine::Action::Fail;
    Say(command.text, failed);
    return failed ? ExitUsage : ExitUpdated;
#endif
}

}  // namespace
}  // namespace vor

int main() {
    const std::vector<std::string> arguments = vor::Utf8Arguments();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    const vor::CommandLine command =
        vor::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), VOR_VERSION, /*withDemo=*/false);
    if (const auto status = vor::EndsBeforeRun(command)) return *status;
    const vor::CliOptions& options = command.options.terminal;
    const std::string programDir = vor::ProgramFolder();
    if (!command.options.cli) return vor::RunInWindow(options, programDir);
    const vor::Utf8Console console;
    if (options.listPorts) return vor::ListCables(programDir, vor::CablePorts(), vor::TryCablePort);
    vor::Win32EventPump pump;
    const std::function<void()> endProgram = [&pump] { pump.endProgram(); };
    vor::LiveProgram program(vor::SystemParts{pump, programDir, endProgram, vor::StartDetachedProgram},
                             vor::ChoicesOf(options));
    return vor::RunTerminal(program.flow(), options, endProgram);
}
