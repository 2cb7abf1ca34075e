#include "app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string_view>

#include "flow/ExitStatus.h"
#include "session/Utf8Path.h"

namespace vor {

namespace {

constexpr const char* ProgramName = "vor-fwupdate";

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& version, bool withDemo) {
    CLI::App app("Firmware update wizard for VOR dive computers.", ProgramName);
    app.set_version_flag("-v,--version", std::string(ProgramName) + " " + version);
    std::string port;
    std::string image;
    std::string lang;
    bool cli = false;
    bool listPorts = false;
    bool yes = false;
    bool json = false;
    bool demo = false;
    app.add_option("--port", port, "Use the serial port <name> instead of searching for the cable.")
        ->option_text("<name>");
    app.add_flag("--demo", demo,
                 withDemo ? "Run against a simulated DC." : "Run against a simulated DC (not on this system).");
    app.add_flag("--cli", cli, "Run the update on this terminal, without a window.");
    app.add_option("--image", image, "With --cli: the firmware image <file> instead of the program's.")
        ->option_text("<file>");
    app.add_flag("--yes", yes,
                 "With --cli: answer Yes and OK to every question, never No or Cancel, and go on without waiting "
                 "for Enter.");
    app.add_flag("--json", json, "With --cli: one JSON object per line for every event.");
    app.add_option("--lang", lang, "With --cli: the language, en, de or fr.")->option_text("<code>");
    app.add_flag("--list-ports", listPorts, "List the interface cables found, with what keeps each from use.");
    bool info = false;
    std::string backupFile;
    std::string restoreFile;
    app.add_flag("--info", info,
                 "With --cli: read the DC and tell its model, serial number, firmware, what the program's image "
                 "would do and its saved profiles; writes nothing into the DC.");
    app.add_option("--backup", backupFile,
                   "With --cli: save the DC's profile to <file> (default: a dated name in the backup folder); no "
                   "update.")
        ->option_text("[<file>]")
        ->expected(0, 1);
    app.add_option("--restore", restoreFile,
                   "With --cli: write the saved profile in <file> back into the DC, after saving what it holds; no "
                   "update.")
        ->option_text("<file>");

    CommandLine command;
    const auto fail = [&](const std::string& error) {
        command.action = CommandLine::Action::Fail;
        command.text = std::string(ProgramName) + ": " + error + "\n" + app.help();
        return command;
    };
    // "--port --yes" would name the port "--yes" and run without --yes: a value that
    // begins with "--" is taken only when written "--port=--yes".
    for (int i = 1; i + 1 < argc; ++i)
        for (const char* valued : {"--port", "--image", "--lang"})
            if (std::string_view(argv[i]) == valued && std::string_view(argv[i + 1]).starts_with("--"))
                return fail(std::string(valued) + " needs a value, not the option " + argv[i + 1] + " (a value that " +
                            "begins with -- is written " + valued + "=" + argv[i + 1] + ")");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        command.action = CommandLine::Action::ShowHelp;
        command.text = app.help();
        return command;
    } catch (const CLI::CallForVersion& e) {
        command.action = CommandLine::Action::ShowVersion;
        command.text = e.what() + std::string("\n");
        return command;
    } catch (const CLI::ParseError& e) {
        return fail(e.what());
    }
    const auto isSet = [&app](const char* name) { return app.count(name) > 0; };
    if (isSet("--port") && port.empty()) return fail("--port needs a port name");
    for (const char* only : {"--image", "--yes", "--json", "--lang", "--info", "--backup", "--restore"})
        if (isSet(only) && !cli) return fail(std::string(only) + " needs --cli");
    if (int{info} + int{isSet("--backup")} + int{isSet("--restore")} > 1)
        return fail("--info, --backup and --restore each run alone");
    if (isSet("--restore") && restoreFile.empty()) return fail("--restore needs a file");
    if (demo && (cli || listPorts)) return fail("--demo is the window's; --cli has none");
    if (demo && !withDemo) return fail("--demo is the window's, which this system has not");
    command.options.demo = demo;
    command.options.cli = cli || listPorts;
    CliOptions& terminal = command.options.terminal;
    terminal.listPorts = listPorts;
    terminal.port = port;
    terminal.image = image;
    if (isSet("--image") && image.empty()) return fail("--image needs a file");
    terminal.yes = yes;
    if (info) terminal.task = {ProfileTaskKind::Info, {}};
    if (isSet("--backup")) terminal.task = {ProfileTaskKind::Backup, PathOfUtf8(backupFile)};
    if (isSet("--restore")) terminal.task = {ProfileTaskKind::Restore, PathOfUtf8(restoreFile)};
    terminal.json = json;
    if (isSet("--lang")) {
        terminal.languageColumn = LanguageColumnOfCode(lang);
        if (!terminal.languageColumn) return fail("--lang takes en, de or fr, not " + lang);
    }
    return command;
}

std::optional<int> EndsWithoutRun(const CommandLine& command) {
    if (command.action == CommandLine::Action::Run) return std::nullopt;
    const bool failed = command.action == CommandLine::Action::Fail;
    std::fputs(command.text.c_str(), failed ? stderr : stdout);
    return failed ? ExitUsage : ExitUpdated;
}

}  // namespace vor
