// The text source: what it accepts, how it is written back, and where it is rejected.

#include <gtest/gtest.h>

#include "texts/MessageTsv.h"

using namespace vor;

namespace {

TEST(MessageTsv, ReadsHeaderRowsCommentsAndEscapes) {
    const auto parsed = ParseMessageTsv(
        "# texts\n"
        "Number\tEnglish\tGerman\n"
        "\n"
        "-5\tminus\tminus\n"
        "141\tClose\tSchließen\n"
        "783\tOnly for the \t\\tTab\\nLine\\r\\\\\n");
    ASSERT_TRUE(parsed.ok) << parsed.errorLine << ": " << parsed.reason;
    const MessageTable& t = parsed.table;
    EXPECT_EQ(t.languages, (std::vector<std::string>{"English", "German"}));
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0], (MessageRow{-5, {"minus", "minus"}}));
    EXPECT_EQ(t.rows[1], (MessageRow{141, {"Close", "Schließen"}}));
    EXPECT_EQ(t.rows[2], (MessageRow{783, {"Only for the ", "\tTab\nLine\r\\"}}));
    EXPECT_EQ(t.notes, (std::vector<SourceNote>{{1, "# texts"}, {3, ""}}));
}

TEST(MessageTsv, FormatGivesTheSourceBackByteForByte) {
    const std::string source =
        "# head\n"
        "#\twith a tab\n"
        "Number\tEnglish\tGerman\tFrench\n"
        "141\tClose\tSchließen\tFermer\n"
        "\n"
        "# section\n"
        "280\tError\t\tErreur\n"
        "818\tA\\n\\nB\t\\\\\t \n"
        "# tail\n";
    const auto parsed = ParseMessageTsv(source);
    ASSERT_TRUE(parsed.ok) << parsed.errorLine << ": " << parsed.reason;
    EXPECT_EQ(FormatMessageTsv(parsed.table), source);
}

TEST(MessageTsv, LastLineWithoutLineFeedIsReadAndWrittenWithOne) {
    const auto parsed = ParseMessageTsv("Number\tEnglish\n820\tFirmware Update");
    ASSERT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.table.rows.size(), 1u);
    EXPECT_EQ(parsed.table.rows[0].texts[0], "Firmware Update");
    EXPECT_EQ(FormatMessageTsv(parsed.table), "Number\tEnglish\n820\tFirmware Update\n");
}

TEST(MessageTsv, AcceptsTheWholeThirtyTwoBitRangeAndFourByteUtf8) {
    const auto parsed = ParseMessageTsv("Number\tE\n-2147483648\ta\n0\tb\n2147483647\t\xF0\x9F\x90\xA0\n");
    ASSERT_TRUE(parsed.ok) << parsed.reason;
    EXPECT_EQ(parsed.table.rows.front().number, INT32_MIN);
    EXPECT_EQ(parsed.table.rows.back().number, INT32_MAX);
}

struct Malformed {
    const char* name;
    std::string source;
    int line;
    const char* reason;
};

class MalformedTsvTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedTsvTest, IsRejectedWithItsLineNumberAndReason) {
    const auto parsed = ParseMessageTsv(GetParam().source);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.errorLine, GetParam().line);
    EXPECT_NE(parsed.reason.find(GetParam().reason), std::string::npos) << parsed.reason;
    EXPECT_TRUE(parsed.table.rows.empty());
}

const std::string H = "Number\tEnglish\tGerman\n";

INSTANTIATE_TEST_SUITE_P(
    Sources, MalformedTsvTest,
    ::testing::Values(Malformed{"EmptyFile", "", 1, "missing header"},
                      Malformed{"OnlyComments", "# a\n\n", 3, "missing header"},
                      Malformed{"HeaderWithoutNumber", "# a\nId\tEnglish\n", 2, "must start with \"Number\""},
                      Malformed{"HeaderWithoutLanguage", "Number\n", 1, "names no language"},
                      Malformed{"LanguageWithoutName", "Number\tEnglish\t\n", 1, "language 2 has no name"},
                      Malformed{"LanguageNamedTwice", "Number\tEnglish\tEnglish\n", 1, "named twice"},
                      Malformed{"TooFewFields", H + "141\tClose\n", 2, "expected 3 TAB-separated fields"},
                      Malformed{"TooManyFields", H + "141\tClose\tZu\textra\n", 2, "found 4"},
                      Malformed{"SpacesInsteadOfTab", H + "141 Close Schließen\n", 2, "found 1"},
                      Malformed{"NumberNotDecimal", H + "# c\n14a\tx\ty\n", 3, "not a decimal number"},
                      Malformed{"NumberEmpty", H + "\tx\ty\n", 2, "not a decimal number"},
                      Malformed{"NumberWithPlus", H + "+5\tx\ty\n", 2, "not a decimal number"},
                      Malformed{"NumberWithBlank", H + " 5\tx\ty\n", 2, "not a decimal number"},
                      Malformed{"LeadingZeros", H + "0141\tx\ty\n", 2, "leading zeros"},
                      Malformed{"MinusZero", H + "-0\tx\ty\n", 2, "leading zeros"},
                      Malformed{"NumberTooLarge", H + "2147483648\tx\ty\n", 2, "32-bit range"},
                      Malformed{"NumberTooSmall", H + "-2147483649\tx\ty\n", 2, "32-bit range"},
                      Malformed{"DuplicateNumber", H + "5\ta\tb\n6\ta\tb\n5\tc\td\n", 4,
                                "appears twice (first on line 2)"},
                      Malformed{"OutOfOrder", H + "820\ta\tb\n141\tc\td\n", 3, "out of order (after 820)"},
                      Malformed{"UnknownEscape", H + "5\ta\\qb\tc\n", 2, "unknown escape \\q"},
                      Malformed{"LoneBackslash", H + "5\tab\\\tc\n", 2, "lone backslash"},
                      Malformed{"CarriageReturnLineEnd", H + "5\ta\tb\r\n", 2, "carriage return"},
                      Malformed{"ControlCharacter", H + "5\ta\x01\tb\n", 2, "control character 1"},
                      Malformed{"InvalidUtf8", H + "5\t\xC3\x28\tb\n", 2, "not valid UTF-8"},
                      Malformed{"OverlongUtf8", H + "5\t\xC0\xAF\tb\n", 2, "not valid UTF-8"},
                      Malformed{"SurrogateUtf8", H + "5\t\xED\xA0\x80\tb\n", 2, "not valid UTF-8"},
                      Malformed{"TruncatedUtf8", H + "5\ta\tb\xE2\x82", 2, "not valid UTF-8"},
                      Malformed{"InvalidUtf8InComment", "# \xFF\n" + H, 1, "not valid UTF-8"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
