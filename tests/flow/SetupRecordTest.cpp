// The setup record's fields and the language column arithmetic.

#include <gtest/gtest.h>

#include "resources/StringResources.h"
#include "flow/SetupRecord.h"

namespace vor {
namespace {

int ColumnOf(const std::string& code) { return LanguageColumnOf({"VOR.1H.FWR", "X", "", code}); }

TEST(LanguageColumn, EachThousandAboveFiveThousandIsTheNextColumn) {
    EXPECT_EQ(ColumnOf("5000"), 1);
    EXPECT_EQ(ColumnOf("6000"), 2);
    EXPECT_EQ(ColumnOf("7000"), 3);
    EXPECT_EQ(ColumnOf("6999"), 2);
    EXPECT_EQ(LanguageColumnOf({"VOR.1H.FWR", "X", ""}), 1);  // three fields
    EXPECT_EQ(LanguageColumnOf({"VOR.1H.FWR", "X"}), 1);
}

TEST(LanguageColumn, HalvesRoundToEvenBeforeTheDivision) {
    EXPECT_EQ(ColumnOf("5999.5"), 2);  // 999.5 -> 1000
    EXPECT_EQ(ColumnOf("5998.5"), 1);  // 998.5 -> 998
    EXPECT_EQ(ColumnOf("6999.5"), 3);
    EXPECT_EQ(ColumnOf("4000.5"), 0);  // -999.5 -> -1000 -> -1
    EXPECT_EQ(ColumnOf("4001.5"), 1);  // -998.5 -> -998 -> 0 toward zero
}

TEST(LanguageColumn, CodeIsTheNumberAtTheStartOfTheText) {
    EXPECT_EQ(ColumnOf("6000 Deutsch"), 2);
    EXPECT_EQ(ColumnOf(" 7 000"), 3);  // blanks are ignored
    EXPECT_EQ(ColumnOf("6e3"), 2);
    EXPECT_EQ(ColumnOf("Deutsch"), -4);  // no number: 0 - 5000
    EXPECT_EQ(ColumnOf(""), -4);
}

TEST(LanguageColumn, CodeOutOfRangeKeepsTheFirstColumn) {
    EXPECT_EQ(ColumnOf("1e30"), 1);
    EXPECT_EQ(ColumnOf("-1e30"), 1);
}

TEST(SetupRecordRead, IntactRecordGivesItsFields) {
    const auto setup = ReadSetupRecord(MakeSetupRecord("VOR.1H.FWR", "divelog.exe", "6000"));
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->imageFile, "VOR.1H.FWR");
    EXPECT_EQ(setup->closeProgram, "divelog.exe");
    EXPECT_EQ(setup->languageColumn, 2);
    const auto builtIn = ReadSetupRecord(LoadResString(ResSetupRecord));
    ASSERT_TRUE(builtIn);
    EXPECT_EQ(builtIn->closeProgram, "");
    EXPECT_EQ(builtIn->languageColumn, 1);
}

TEST(SetupRecordRead, TooFewFieldsOrDamagedRecordIsRefused) {
    EXPECT_FALSE(ReadSetupRecord("VOR.1H.FWR"));
    EXPECT_FALSE(ReadSetupRecord(""));
    std::string record = MakeSetupRecord("VOR.1H.FWR", "", "5000");
    record.back() = '1';
    EXPECT_FALSE(ReadSetupRecord(record));
}

}  // namespace
}  // namespace vor
