// The task log's rows with the longest texts of each language (run under Wine): the
// list view cannot wrap, so a long event is broken into rows that each fit the event
// column and give the whole text again. Measured on a memory DC: the tests run without
// a display.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/Utf16.h"
#include "resources/StringResources.h"
#include "session/Messages.h"
#include "texts/LanguageDb.h"
#include "winwizard/TaskLogView.h"

namespace vor {
namespace {

class TaskLogRows : public ::testing::TestWithParam<int> {};

TEST_P(TaskLogRows, TheLongestTextOfTheLanguageIsBrokenIntoRowsThatFitAndGiveItWhole) {
    LanguageDb db;
    ASSERT_TRUE(db.OpenLanguageDb(std::string(VOR_PROGRAM_DIR) + "/FirmwareUpdate.lng",
                                  LoadResString(ResDatabasePassword), GetParam()));
    std::string longest = db.GetText(Msg::UpdateSucceeded);
    for (const std::int32_t number : Msg::AllMessages)
        if (const std::string text = db.GetText(number); text.size() > longest.size() && text.find('\n') == text.npos)
            longest = text;

    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HFONT font = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Sans Serif");
    constexpr int Width = 300;  // about the window's event column
    const std::vector<std::wstring> lines = LinesInWidth(dc, font, Width, Utf16(longest));
    EXPECT_GT(lines.size(), 2u);
    ::SelectObject(dc, font);
    std::wstring whole;
    for (const std::wstring& line : lines) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        EXPECT_LE(size.cx, Width) << Utf8(line);
        EXPECT_FALSE(line.empty() || line.front() == L' ') << Utf8(line);
        whole += (whole.empty() ? L"" : L" ") + line;
    }
    EXPECT_EQ(Utf8(whole), longest);
    // A word wider than a row is broken where it must, never lost.
    EXPECT_GT(LinesInWidth(dc, font, 20, L"Schnittstellenkabel").size(), 1u);
    ::DeleteDC(dc);
    ::DeleteObject(font);
}

INSTANTIATE_TEST_SUITE_P(Languages, TaskLogRows, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace vor
