// The UTF-8 texts of the language database as the Win32 W functions take them, and back.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Utf16.h"

namespace vor {
namespace {

struct Conversion {
    std::string utf8;
    std::wstring utf16;
};

class Utf16Conversion : public ::testing::TestWithParam<Conversion> {};

TEST_P(Utf16Conversion, GoesThereAndBackUnchanged) {
    EXPECT_EQ(Utf16(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(Utf8(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf16Conversion,
                         ::testing::Values(Conversion{"", L""}, Conversion{"Next", L"Next"},
                                           Conversion{"Zurück", L"Zur\u00FCck"},
                                           Conversion{"Précédent", L"Pr\u00E9c\u00E9dent"},
                                           // Beyond the basic plane: a surrogate pair, not two characters.
                                           Conversion{"🐠", L"\xD83D\xDC20"},
                                           // A line break and a NUL inside stay.
                                           Conversion{std::string("a\r\nb\0c", 6), std::wstring(L"a\r\nb\0c", 6)}));

TEST(Utf16Conversion, BrokenUtf8BecomesAReplacementCharacterNotAShorterText) {
    EXPECT_EQ(Utf16(std::string("a") + '\xFF' + "b"), L"a\uFFFDb");
}

}  // namespace
}  // namespace vor
