// The FirmwareUpdate.lng that the build puts into the program folder, and vor-tool texts.

#include <gtest/gtest.h>

#include <filesystem>

#include "resources/StringResources.h"
#include "session/Messages.h"
#include "tests/texts/TextsTestSupport.h"
#include "texts/LanguageDb.h"

using namespace vor;
using namespace vor::test;

namespace {

const std::string ProgramDir = VOR_PROGRAM_DIR;
const std::string ShippedDb = ProgramDir + "/FirmwareUpdate.lng";
const std::string SourceTsv = std::string(VOR_SOURCE_DIR) + "/resources/messages.tsv";
const std::string Tool = ProgramDir + "/vor-tool";

constexpr int LanguageCount = 3;

class ShippedLanguageDb : public ::testing::Test {
protected:
    void open(int column) {
        ASSERT_TRUE(db_.OpenLanguageDb(ShippedDb, LoadResString(ResDatabasePassword), column)) << db_.lastError();
        ASSERT_EQ(db_.warning(), "");
    }
    LanguageDb db_;
};

TEST_F(ShippedLanguageDb, OpensWithTheBuiltInPasswordAndGivesTheTitleInEachLanguage) {
    open(1);
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware Update");
    open(2);
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware-Update");
    open(3);
    EXPECT_EQ(db_.GetText(Msg::Title), "Mise à jour du firmware");
}

TEST_F(ShippedLanguageDb, EveryMessageOfTheProgramHasTextInAllThreeLanguages) {
    for (int column = 1; column <= LanguageCount; ++column) {
        open(column);
        for (std::int32_t number : Msg::AllMessages) {
            const std::string text = db_.GetText(number);
            EXPECT_FALSE(text.empty()) << "message " << number << " column " << column;
            // Only the two questions at the recovery are laid out in paragraphs.
            if (number != Msg::RecoveryQuestion && number != Msg::ProfileChoiceQuestion) {
                EXPECT_EQ(text.find('\n'), std::string::npos) << number;
            }
        }
    }
}

// Texts that the program joins to other text must fit the joints.
TEST_F(ShippedLanguageDb, TextsFitThePlacesThatJoinThem) {
    for (int column = 1; column <= LanguageCount; ++column) {
        open(column);
        // "<NotForThisDc><DeviceName>!" in the task log needs its trailing blank.
        EXPECT_EQ(db_.GetText(Msg::NotForThisDc).back(), ' ') << column;
        // "<CableNotFound>." and "<ImageDamaged> 4!": the program adds the punctuation.
        for (std::int32_t joined : {Msg::CableNotFound, Msg::ImageDamaged, Msg::Version}) {
            const char last = db_.GetText(joined).back();
            EXPECT_TRUE(last != '.' && last != '!' && last != ' ') << joined << " column " << column;
        }
        // Buttons, column headers and statuses are short captions.
        for (std::int32_t caption : {Msg::CloseCaption, Msg::Failed, Msg::TimeColumn, Msg::StatusColumn, Msg::Done,
                                     Msg::BackCaption, Msg::NextCaption, Msg::EventColumn}) {
            EXPECT_LE(db_.GetText(caption).size(), 20u) << caption << " column " << column;
        }
    }
}

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
