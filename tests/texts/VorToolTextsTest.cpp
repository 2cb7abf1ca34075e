// The shipped database from outside the program: the sqlite3 and sqlcipher shells, and
// vor-tool texts, which builds it.

#include <gtest/gtest.h>

#include <filesystem>

#include "resources/StringResources.h"
#include "session/Messages.h"
#include "tests/texts/TextsTestSupport.h"

using namespace vor;
using namespace vor::test;

namespace {

const std::string ProgramDir = VOR_PROGRAM_DIR;
const std::string ShippedDb = ProgramDir + "/FirmwareUpdate.lng";
const std::string SourceTsv = std::string(VOR_SOURCE_DIR) + "/resources/messages.tsv";
const std::string Tool = ProgramDir + "/vor-tool";

TEST(ShippedLanguageDbFile, PlainSqliteCannotReadItButSqlcipherWithTheKeyCan) {
    const auto plain = RunCommand("sqlite3 " + ShellQuote(ShippedDb) + " 'SELECT count(*) FROM CONTENTS;'");
    EXPECT_NE(plain.exitCode, 0);
    EXPECT_NE(plain.output.find("not a database"), std::string::npos) << plain.output;

    const std::string script = "PRAGMA key = '" + LoadResString(ResDatabasePassword) +
                               "';\nSELECT Text1 FROM CONTENTS WHERE Number = " + std::to_string(Msg::Title) + ";\n";
    const auto keyed = RunCommand("printf '%s' " + ShellQuote(script) + " | sqlcipher " + ShellQuote(ShippedDb));
    EXPECT_EQ(keyed.exitCode, 0) << keyed.output;
    EXPECT_EQ(keyed.output, "Firmware Update\n");
}

TEST(VorToolTexts, DumpOfTheShippedDatabaseIsTheSourceByteForByte) {
    const auto dump = RunCommand(ShellQuote(Tool) + " texts dump " + ShellQuote(ShippedDb));
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.output, ReadFileBytes(SourceTsv));
}

TEST(VorToolTexts, BuildThenDumpRoundTripsASource) {
    TempFolder folder;
    const std::string source = "# c\nNumber\tEnglish\tGerman\n\n1\ta\\tb\t\n820\tFirmware Update\tFirmware-Update\n";
    WriteFileBytes(folder.file("s.tsv"), source);
    const auto build = RunCommand(ShellQuote(Tool) + " texts build " + ShellQuote(folder.file("s.tsv")) + " " +
                                  ShellQuote(folder.file("o.lng")));
    ASSERT_EQ(build.exitCode, 0) << build.output;
    EXPECT_EQ(build.output, "");
    const auto dump = RunCommand(ShellQuote(Tool) + " texts dump " + ShellQuote(folder.file("o.lng")));
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.output, source);
}

TEST(VorToolTexts, MalformedSourceIsRejectedWithItsLineAndTheOldDatabaseKept) {
    TempFolder folder;
    const std::string out = folder.file("FirmwareUpdate.lng");
    std::filesystem::copy_file(ShippedDb, out);
    WriteFileBytes(folder.file("bad.tsv"), "Number\tEnglish\n141\tClose\n0150\tNo answer\n");

    const auto build =
        RunCommand(ShellQuote(Tool) + " texts build " + ShellQuote(folder.file("bad.tsv")) + " " + ShellQuote(out));
    EXPECT_EQ(build.exitCode, 1);
    EXPECT_NE(build.output.find("bad.tsv:3: message number \"0150\" has leading zeros"), std::string::npos)
        << build.output;
    EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(ShippedDb));
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp"));
}

TEST(VorToolTexts, MissingFilesAndBadArgumentsFailWithAMessage) {
    TempFolder folder;
    const auto noSource = RunCommand(ShellQuote(Tool) + " texts build " + ShellQuote(folder.file("none.tsv")) + " " +
                                     ShellQuote(folder.file("o.lng")));
    EXPECT_EQ(noSource.exitCode, 1);
    EXPECT_NE(noSource.output.find("cannot read"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.file("o.lng")));

    const auto noDb = RunCommand(ShellQuote(Tool) + " texts dump " + ShellQuote(folder.file("none.lng")));
    EXPECT_EQ(noDb.exitCode, 1);
    EXPECT_NE(noDb.output.find("cannot open"), std::string::npos) << noDb.output;

    EXPECT_EQ(RunCommand(ShellQuote(Tool) + " texts").exitCode, 2);
    EXPECT_EQ(RunCommand(ShellQuote(Tool) + " texts build only-one").exitCode, 2);
    EXPECT_EQ(RunCommand(ShellQuote(Tool) + " texts frobnicate a b").exitCode, 2);
}

}  // namespace
