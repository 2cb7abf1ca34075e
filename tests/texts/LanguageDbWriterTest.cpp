// Building a database file: content, layout, atomic replacement, and reading it back.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "tests/texts/TextsTestSupport.h"
#include "texts/LanguageDbWriter.h"
#include "texts/SqlCipherConnection.h"

using namespace vor;
using namespace vor::test;

namespace {

std::string QueryAll(const std::string& path, const std::string& sql) {
    SqlCipherConnection db;
    EXPECT_TRUE(db.open(path, TestPassword, SqlCipherConnection::Mode::ReadOnly)) << db.error();
    std::string out;
    auto collect = [](void* target, int columns, char** values, char**) {
        auto& text = *static_cast<std::string*>(target);
        for (int i = 0; i < columns; ++i)
            text += std::string(values[i] ? values[i] : "NULL") + (i + 1 < columns ? "|" : "\n");
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db.handle(), sql.c_str(), collect, &out, nullptr), SQLITE_OK) << db.engineMessage();
    return out;
}

TEST(LanguageDbWriter, WrittenTableReadsBackUnchanged) {
    TempFolder folder;
    MessageTable table = SmallTable();
    table.notes = {{1, "# comment"}, {3, ""}};
    std::string error;
    ASSERT_TRUE(WriteLanguageDb(table, folder.file("a.lng"), TestPassword, error)) << error;
    MessageTable back;
    ASSERT_TRUE(ReadLanguageDb(folder.file("a.lng"), TestPassword, back, error)) << error;
    EXPECT_EQ(back, table);
}

TEST(LanguageDbWriter, LanguagesTableListsColumnsWithCodes5000Upward) {
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(WriteLanguageDb(SmallTable(), folder.file("a.lng"), TestPassword, error)) << error;
    EXPECT_EQ(QueryAll(folder.file("a.lng"), "SELECT * FROM LANGUAGES ORDER BY 1"),
              "1|5000|English\n2|6000|German\n3|7000|French\n");
    // The message number is field 0 and carries the unique index "ID".
    EXPECT_EQ(QueryAll(folder.file("a.lng"), "PRAGMA index_list('CONTENTS')"), "0|ID|1|c|0\n");
    EXPECT_EQ(QueryAll(folder.file("a.lng"), "PRAGMA index_info('ID')"), "0|0|Number\n");
}

TEST(LanguageDbWriter, ReadingWithTheWrongPasswordFails) {
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(WriteLanguageDb(SmallTable(), folder.file("a.lng"), TestPassword, error));
    MessageTable back;
    EXPECT_FALSE(ReadLanguageDb(folder.file("a.lng"), "wrong", back, error));
    EXPECT_NE(error.find("wrong password"), std::string::npos) << error;
}

TEST(LanguageDbWriter, FailedWriteLeavesTheExistingFileAndNoTemporaryFile) {
    TempFolder folder;
    const std::string out = folder.file("FirmwareUpdate.lng");
    std::string error;
    ASSERT_TRUE(WriteLanguageDb(SmallTable(), out, TestPassword, error));
    const std::string before = ReadFileBytes(out);

    MessageTable unsorted = SmallTable();
    std::swap(unsorted.rows[0], unsorted.rows[1]);
    EXPECT_FALSE(WriteLanguageDb(unsorted, out, TestPassword, error));
    EXPECT_NE(error.find("out of order"), std::string::npos) << error;

    MessageTable shortRow = SmallTable();
    shortRow.rows[1].texts.pop_back();
    EXPECT_FALSE(WriteLanguageDb(shortRow, out, TestPassword, error));

    EXPECT_FALSE(WriteLanguageDb(SmallTable(), out, "", error));  // would be unprotected
    EXPECT_FALSE(WriteLanguageDb(MessageTable{}, out, TestPassword, error));

    EXPECT_EQ(ReadFileBytes(out), before);
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp"));
}

TEST(LanguageDbWriter, LeftOverTemporaryFileOfAnInterruptedBuildIsReplaced) {
    TempFolder folder;
    const std::string out = folder.file("x.lng");
    WriteFileBytes(out + ".tmp", "half a database");
    std::string error;
    ASSERT_TRUE(WriteLanguageDb(SmallTable(), out, TestPassword, error)) << error;
    MessageTable back;
    ASSERT_TRUE(ReadLanguageDb(out, TestPassword, back, error)) << error;
    EXPECT_EQ(back, SmallTable());
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp"));
}

TEST(LanguageDbWriter, UnwritableFolderFailsWithAReason) {
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(WriteLanguageDb(SmallTable(), folder.file("no/such/folder/x.lng"), TestPassword, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
