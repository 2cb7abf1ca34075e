// The lookup the program uses: opening checks, field choice by position, empty texts.

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "tests/texts/TextsTestSupport.h"
#include "texts/LanguageDb.h"
#include "texts/LanguageDbWriter.h"
#include "texts/SqlCipherConnection.h"
#include "session/Messages.h"

using namespace vor;
using namespace vor::test;

namespace {

class LanguageDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteLanguageDb(SmallTable(), path_, TestPassword, error)) << error;
    }

    // A database made of the given statements, keyed with the test password.
    std::string craft(const std::string& name, const std::string& sql) {
        const std::string path = folder_.file(name);
        SqlCipherConnection db;
        EXPECT_TRUE(db.open(path, TestPassword, SqlCipherConnection::Mode::ReadWrite)) << db.error();
        EXPECT_TRUE(db.exec(sql)) << db.error();
        return path;
    }

    TempFolder folder_;
    std::string path_ = folder_.file("FirmwareUpdate.lng");
    LanguageDb db_;
};

constexpr const char* GoodLanguages =
    "CREATE TABLE LANGUAGES (Col INTEGER, Code INTEGER, Name TEXT);"
    "INSERT INTO LANGUAGES VALUES (1, 5000, 'English');";

TEST_F(LanguageDbTest, LanguageColumnPicksTheFieldByPosition) {
    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 1)) << db_.lastError();
    EXPECT_TRUE(db_.isOpen());
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware Update");
    EXPECT_EQ(db_.GetText(Msg::CloseCaption), "Close");
    EXPECT_EQ(db_.warning(), "");

    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 2));
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware-Update");
    EXPECT_EQ(db_.GetText(Msg::CloseCaption), "Schließen");

    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 3));
    EXPECT_EQ(db_.GetText(Msg::Title), "Mise à jour du firmware");
}

TEST_F(LanguageDbTest, TextsComeBackWithTheirControlCharactersAndBlanks) {
    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 1));
    EXPECT_EQ(db_.GetText(900), "Two\nlines\tand a tab \\");
}

TEST_F(LanguageDbTest, UnknownNumberAndEmptyFieldGiveTheEmptyText) {
    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 3));
    EXPECT_EQ(db_.GetText(900), "");
    EXPECT_EQ(db_.GetText(821), "");
    EXPECT_EQ(db_.GetText(0), "");
    EXPECT_EQ(db_.GetText(-Msg::Title), "");
    EXPECT_EQ(db_.GetText(INT32_MIN), "");
    EXPECT_EQ(db_.GetText(INT32_MAX), "");
    // An unknown number is no error and leaves the next lookup working.
    EXPECT_EQ(db_.lastError(), "");
    EXPECT_EQ(db_.GetText(Msg::CloseCaption), "Fermer");
}

TEST_F(LanguageDbTest, NullFieldGivesTheEmptyText) {
    const std::string path = craft("null.lng",
                                   "CREATE TABLE CONTENTS (Number INTEGER, T1 TEXT, T2 TEXT);"
                                   "CREATE UNIQUE INDEX ID ON CONTENTS (Number);"
                                   "INSERT INTO CONTENTS VALUES (5, NULL, 'zwei');" +
                                       std::string(GoodLanguages));
    ASSERT_TRUE(db_.OpenLanguageDb(path, TestPassword, 1)) << db_.lastError();
    EXPECT_EQ(db_.GetText(5), "");
    ASSERT_TRUE(db_.OpenLanguageDb(path, TestPassword, 2));
    EXPECT_EQ(db_.GetText(5), "zwei");
}

TEST_F(LanguageDbTest, LanguageColumnOutsideTheTableFallsBackToColumnOne) {
    for (int column : {0, -1, 4, 1000}) {
        ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, column)) << column;
        EXPECT_EQ(db_.GetText(Msg::Title), "Firmware Update") << column;
        EXPECT_NE(db_.warning().find("using column 1"), std::string::npos) << column;
    }
}

TEST_F(LanguageDbTest, WrongPasswordFailsAtOpenWithAReason) {
    EXPECT_FALSE(db_.OpenLanguageDb(path_, "not the password", 1));
    EXPECT_FALSE(db_.isOpen());
    EXPECT_NE(db_.lastError().find("wrong password"), std::string::npos) << db_.lastError();
    EXPECT_EQ(db_.GetText(Msg::Title), "");

    EXPECT_FALSE(db_.OpenLanguageDb(path_, "", 1));
    EXPECT_NE(db_.lastError(), "");
}

TEST_F(LanguageDbTest, MissingFileFailsAndIsNotCreated) {
    const std::string missing = folder_.file("absent.lng");
    EXPECT_FALSE(db_.OpenLanguageDb(missing, TestPassword, 1));
    EXPECT_NE(db_.lastError().find("cannot open"), std::string::npos) << db_.lastError();
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(LanguageDbTest, UnprotectedDatabaseIsRejected) {
    const std::string plain = folder_.file("plain.lng");
    const auto made = RunCommand("sqlite3 " + ShellQuote(plain) +
                                 " \"CREATE TABLE CONTENTS (Number INTEGER, T1 TEXT);"
                                 " CREATE UNIQUE INDEX ID ON CONTENTS (Number);"
                                 " CREATE TABLE LANGUAGES (Col INTEGER); INSERT INTO LANGUAGES VALUES (1);\"");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_FALSE(db_.OpenLanguageDb(plain, TestPassword, 1));
    EXPECT_NE(db_.lastError(), "");
}

struct BrokenLayout {
    const char* name;
    std::string sql;
    const char* reason;
    bool textsKept = false;  // only LANGUAGES is faulty: CONTENTS stays usable
};

class LanguageDbLayoutTest : public LanguageDbTest, public ::testing::WithParamInterface<BrokenLayout> {};

TEST_P(LanguageDbLayoutTest, BrokenLayoutFailsAtOpenNotAtTheFirstLookup) {
    const std::string path = craft(std::string(GetParam().name) + ".lng", GetParam().sql);
    EXPECT_FALSE(db_.OpenLanguageDb(path, TestPassword, 1));
    EXPECT_EQ(db_.isOpen(), GetParam().textsKept);
    EXPECT_NE(db_.lastError().find(GetParam().reason), std::string::npos) << db_.lastError();
    EXPECT_EQ(db_.GetText(1), GetParam().textsKept ? "one" : "");
}

const std::string GoodContents =
    "CREATE TABLE CONTENTS (Number INTEGER, T1 TEXT);"
    "CREATE UNIQUE INDEX ID ON CONTENTS (Number);"
    "INSERT INTO CONTENTS VALUES (1, 'one');";

INSTANTIATE_TEST_SUITE_P(
    Layouts, LanguageDbLayoutTest,
    ::testing::Values(
        BrokenLayout{"NoContents", GoodLanguages, "no table CONTENTS"},
        BrokenLayout{"NoLanguages", GoodContents, "no table LANGUAGES", true},
        BrokenLayout{"EmptyLanguages", GoodContents + "CREATE TABLE LANGUAGES (Col INTEGER);", "LANGUAGES has no rows",
                     true},
        BrokenLayout{"NoIndexId", "CREATE TABLE CONTENTS (Number INTEGER, T1 TEXT);" + std::string(GoodLanguages),
                     "index ID"},
        BrokenLayout{"IndexIdOnTheText",
                     "CREATE TABLE CONTENTS (Number INTEGER, T1 TEXT); CREATE INDEX ID ON CONTENTS (T1);" +
                         std::string(GoodLanguages),
                     "index ID"},
        BrokenLayout{"NoLanguageField",
                     "CREATE TABLE CONTENTS (Number INTEGER); CREATE UNIQUE INDEX ID ON CONTENTS (Number);" +
                         std::string(GoodLanguages),
                     "no language field"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(LanguageDbTest, FailedReopenLeavesTheDatabaseClosed) {
    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 1));
    EXPECT_FALSE(db_.OpenLanguageDb(path_, "wrong", 1));
    EXPECT_FALSE(db_.isOpen());
    EXPECT_EQ(db_.GetText(Msg::Title), "");
}

TEST_F(LanguageDbTest, CloseEndsLookupsAndReopenWorks) {
    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 1));
    db_.Close();
    EXPECT_FALSE(db_.isOpen());
    EXPECT_EQ(db_.GetText(Msg::Title), "");
    db_.Close();  // twice is harmless
    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 2));
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware-Update");
}

TEST_F(LanguageDbTest, EveryLookupReadsTheFileAgain) {
    ASSERT_TRUE(db_.OpenLanguageDb(path_, TestPassword, 1));
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware Update");
    {
        SqlCipherConnection writer;
        ASSERT_TRUE(writer.open(path_, TestPassword, SqlCipherConnection::Mode::ReadWrite));
        ASSERT_TRUE(writer.exec("UPDATE CONTENTS SET Text1 = 'Changed' WHERE Number = 820;"));
    }
    EXPECT_EQ(db_.GetText(Msg::Title), "Changed");
}

}  // namespace
