// The program's command line as the Windows program reads it (its own window, no demo):
// the same options and errors as on Linux.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace vor {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"vor-fwupdate.exe"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), "9.8.7",
                            /*withDemo=*/false);
}

struct Refused {
    std::vector<std::string> args;
    std::string error;  // a piece of the first line
};

class RefusedCommandLine : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedCommandLine, FailsWithItsReasonAndTheUsage) {
    const CommandLine command = Parse(GetParam().args);
    EXPECT_EQ(command.action, Action::Fail);
    const std::string firstLine = command.text.substr(0, command.text.find('\n'));
    EXPECT_NE(firstLine.find(GetParam().error), std::string::npos) << command.text;
    EXPECT_NE(command.text.find("--list-ports"), std::string::npos) << "no usage after the error";
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedCommandLine,
    ::testing::Values(
        Refused{{"--demo"}, "--demo is the window's, which this system has not"},
        Refused{{"--yes"}, "--yes needs --cli"}, Refused{{"--json", "--list-ports"}, "--json needs --cli"},
        Refused{{"--cli", "--lang", "it"}, "--lang takes en, de or fr, not it"},
        Refused{{"--cli", "--port", ""}, "--port needs a port name"},
        Refused{{"--cli", "--image", ""}, "--image needs a file"},
        Refused{{"--cli", "--demo"}, "--demo is the window's; --cli has none"}, Refused{{"--cli", "--port"}, "--port"},
        Refused{{"--cli", "--frobnicate"}, "--frobnicate"}, Refused{{"--cli", "COM5"}, "COM5"},
        Refused{{"--cli", "--port", "--yes"}, "--port needs a value, not the option --yes"},
        Refused{{"--cli", "--image", "--json"}, "--image=--json"}, Refused{{"--info"}, "--info needs --cli"},
        Refused{{"--cli", "--info", "--backup"}, "each run alone"}, Refused{{"--cli", "--restore"}, "--restore"}));

TEST(CommandLine, ProfileCommandsTakeTheirFiles) {
    EXPECT_EQ(Parse({"--cli", "--info"}).options.terminal.task.kind, ProfileTaskKind::Info);
    const CommandLine backup = Parse({"--cli", "--backup", "--yes"});
    ASSERT_EQ(backup.action, Action::Run) << backup.text;
    EXPECT_EQ(backup.options.terminal.task.kind, ProfileTaskKind::Backup);
    EXPECT_EQ(backup.options.terminal.task.file, "");  // a dated name of the program's
    EXPECT_TRUE(backup.options.terminal.yes);
    EXPECT_EQ(Parse({"--cli", "--backup", "trip.bin"}).options.terminal.task.file, "trip.bin");
    EXPECT_EQ(Parse({"--cli", "--restore", "trip.bin"}).options.terminal.task.kind, ProfileTaskKind::Restore);
}

TEST(CommandLine, RunTakesEveryOptionOfTheTerminal) {
    const CommandLine command =
        Parse({"--cli", "--port", "COM5", "--image", "C:\\fw\\VOR.1H.FWR", "--yes", "--json", "--lang", "fr"});
    ASSERT_EQ(command.action, Action::Run) << command.text;
    EXPECT_FALSE(command.options.terminal.listPorts);
    EXPECT_EQ(command.options.terminal.port, "COM5");
    EXPECT_EQ(command.options.terminal.image, "C:\\fw\\VOR.1H.FWR");
    EXPECT_TRUE(command.options.terminal.yes);
    EXPECT_TRUE(command.options.terminal.json);
    EXPECT_EQ(command.options.terminal.languageColumn, 3);

    const CommandLine dashes = Parse({"--cli", "--port=--yes"});  // a port so named, as written
    ASSERT_EQ(dashes.action, Action::Run) << dashes.text;
    EXPECT_EQ(dashes.options.terminal.port, "--yes");
    EXPECT_FALSE(dashes.options.terminal.yes);

    const CommandLine plain = Parse({"--cli"});
    ASSERT_EQ(plain.action, Action::Run);
    EXPECT_EQ(plain.options.terminal.port, "");  // the registry's cable
    EXPECT_FALSE(plain.options.terminal.yes);
    EXPECT_FALSE(plain.options.terminal.languageColumn.has_value());
}

TEST(CommandLine, WithoutCliTheWindowRunsOnTheGivenPort) {
    const CommandLine window = Parse({"--port", "COM7"});
    ASSERT_EQ(window.action, Action::Run) << window.text;
    EXPECT_FALSE(window.options.cli);
    EXPECT_EQ(window.options.terminal.port, "COM7");
    EXPECT_EQ(Parse({}).action, Action::Run);
}

TEST(CommandLine, ListPortsHelpAndVersionNeedNoCli) {
    EXPECT_TRUE(Parse({"--list-ports"}).options.terminal.listPorts);
    EXPECT_EQ(Parse({"--list-ports"}).action, Action::Run);
    const CommandLine help = Parse({"--help"});
    EXPECT_EQ(help.action, Action::ShowHelp);
    for (const char* option : {"--port", "--cli", "--image", "--yes", "--json", "--lang", "--list-ports"})
        EXPECT_NE(help.text.find(option), std::string::npos) << option;
    const CommandLine version = Parse({"--version"});
    EXPECT_EQ(version.action, Action::ShowVersion);
    EXPECT_EQ(version.text, "vor-fwupdate 9.8.7\n");
}

}  // namespace
}  // namespace vor
