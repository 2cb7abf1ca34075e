// What only the native window does: its controls, their places from the twips table at
// the screen's resolution (VOR_DPI, which with-display.sh gives the Wine prefix), that
// each shows what the flow says, and that each button reaches the flow. The buttons are
// pressed as the keyboard and the mouse press them (BM_CLICK). No test here opens a
// box: the window's boxes are the system's, and nobody would answer them.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "flow/SetupRecord.h"
#include "flow/StepInstructions.h"
#include "flow/WindowTexts.h"
#include "platform/win32/Utf16.h"
#include "tests/flow/FlowHarness.h"
#include "winwizard/Twips.h"
#include "winwizard/WizardWindow.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;

std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return Utf8(text);
}

// The child control of `kind` whose caption is `caption` (any caption when empty).
HWND Child(HWND parent, const wchar_t* kind, const std::string& caption = {}) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, 64);
        if (::lstrcmpiW(className, kind) == 0 && (caption.empty() || TextOf(child) == caption)) return child;
    }
    return nullptr;
}

RECT PlaceIn(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int ScreenDpi() {
    const char* dpi = std::getenv("VOR_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

// `text` as `control`'s font writes it, broken between words at `width` pixels.
SIZE Written(HWND control, const std::wstring& text, int width) {
    const HDC dc = ::GetDC(control);
    const HGDIOBJ before = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT area{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), -1, &area, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, before);
    ::ReleaseDC(control, dc);
    return {area.right, area.bottom};
}

// The window as the screen shows it, into VOR_SCREENSHOTS/dpi-<n>-<name>.bmp when that is set.
void Screenshot(HWND window, const std::string& name) {
    const char* folder = std::getenv("VOR_SCREENSHOTS");
    RECT r{};
    if (!folder || !::GetWindowRect(window, &r)) return;
    BITMAPINFOHEADER header{sizeof(header), r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD size = static_cast<DWORD>((header.biWidth * 3 + 3) / 4 * 4 * header.biHeight);
    constexpr DWORD Headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file{0x4D42, Headers + size, 0, 0, Headers};
    const HDC screen = ::GetDC(nullptr);
    const HDC copy = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP picture =
        ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ::SelectObject(copy, picture);
    ::BitBlt(copy, 0, 0, header.biWidth, header.biHeight, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    std::filesystem::create_directories(folder);
    std::ofstream(std::filesystem::path(folder) / ("dpi-" + std::to_string(ScreenDpi()) + "-" + name + ".bmp"),
                  std::ios::binary)
        .write(reinterpret_cast<const char*>(&file), sizeof(file))
        .write(reinterpret_cast<const char*>(&header), sizeof(header))
        .write(static_cast<const char*>(bits), size);
    ::DeleteDC(copy);
    ::DeleteObject(picture);
    ::ReleaseDC(nullptr, screen);
}

// The flow of a FlowHarness shown in the real native window.
class NativeWindow : public ::testing::Test {
protected:
    void start(const std::string& setupRecord = LoadResString(ResSetupRecord)) {
        h.build(setupRecord);
        window = std::make_unique<WizardWindow>(*h.flow, pump, h.dir.string());
        ASSERT_TRUE(h.flow->Start());
        window->show();
    }
    HWND button(const std::string& caption) const { return Child(window->handle(), L"BUTTON", caption); }
    void press(const std::string& caption) const {
        const HWND b = button(caption);
        ASSERT_NE(b, nullptr) << caption;
        ASSERT_TRUE(::IsWindowEnabled(b) && ::IsWindowVisible(b)) << caption << " cannot be pressed";
        ::SendMessageW(b, BM_CLICK, 0, 0);
    }
    // Every control stands in its box of the twips table at `dpi`.
    void expectTableBoxes(int dpi) const {
        const HWND w = window->handle();
        RECT client{};
        ::GetClientRect(w, &client);
        EXPECT_EQ(client.right, TwipsToPixels(controls::Client.width, dpi));
        EXPECT_EQ(client.bottom, TwipsToPixels(controls::Client.height, dpi));
        const std::pair<const char*, TwipsBox> buttons[] = {
            {"Back", controls::BackCmd},
            {"Next", controls::NextCmd},
            {"Close", controls::CloseCmd},
            {"Print", controls::PrintCmd},
            {"I do not agree", controls::DisagreeCmd},
            {"I agree and want to proceed to the firmware update", controls::AgreeCmd}};
        for (const auto& [caption, box] : buttons)
            EXPECT_TRUE(PlaceIn(w, button(caption)) == TwipsRect(box, dpi)) << caption << " at " << dpi << " dpi";
        EXPECT_TRUE(PlaceIn(w, Child(w, WC_LISTVIEWW)) == TwipsRect(controls::TaskLst, dpi));
    }
    // The window has painted what it shows.
    void settle() { pump.yieldUntil(pump.now() + 0.3); }
    int logRows() const {
        return static_cast<int>(::SendMessageW(Child(window->handle(), WC_LISTVIEWW), LVM_GETITEMCOUNT, 0, 0));
    }

    FlowHarness h;
    Win32EventPump pump;  // serves the window's messages; the flow keeps the harness's clock
    std::unique_ptr<WizardWindow> window;
};

TEST_F(NativeWindow, ControlsStandWhereTheTwipsTableSaysAtTheScreensResolution) {
    start();
    const HWND w = window->handle();
    EXPECT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetWindowDpiAwarenessContext(w)), DPI_AWARENESS_PER_MONITOR_AWARE)
        << "the system stretches the window";
    EXPECT_EQ(::GetDpiForWindow(w), static_cast<UINT>(ScreenDpi()));
    expectTableBoxes(ScreenDpi());
    for (const char* caption :
         {"Back", "Next", "Close", "Print", "I do not agree", "I agree and want to proceed to the firmware update"}) {
        const RECT box = PlaceIn(w, button(caption));
        const SIZE text = Written(button(caption), Utf16(caption), 10000);
        EXPECT_LT(text.cx, box.right - box.left - 4) << caption << " is cut off";
        EXPECT_LT(text.cy, box.bottom - box.top - 4) << caption << " is cut off";
    }
    // The page's text in the label's box, in the font it is painted with.
    const RECT label = TwipsRect(controls::Lbl1, ScreenDpi());
    for (const int stage : {1, 2})
        EXPECT_LE(Written(button("Next"), Utf16(StepInstructions(stage)), label.right - label.left).cy,
                  label.bottom - label.top)
            << "page " << stage << " is cut off";
    EXPECT_FALSE(::IsWindowVisible(button("Print")));
    EXPECT_FALSE(::IsWindowVisible(Child(w, WC_LISTVIEWW)));
    EXPECT_FALSE(::IsWindowEnabled(button("Back")));
    EXPECT_TRUE(::IsWindowEnabled(button("Next")));
    EXPECT_TRUE(::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    settle();
    Screenshot(w, "1-first-page");
}

TEST_F(NativeWindow, DeepSleepPageAndTheLongestRowAreWholeAtTheScreensResolution) {
    start();
    press("Next");
    settle();
    Screenshot(window->handle(), "2-deep-sleep-page");
    h.backend.onUpdate = [&] {
        h.flow->InsertTaskList(IconRunning, "Uploading section 2", "42%");
        h.flow->InsertTaskList(
            IconInfo, "Finished without errors. You can unclip the interface cable and close the program.", "");
    };
    press("Next");
    const HWND list = Child(window->handle(), WC_LISTVIEWW);
    ASSERT_GT(logRows(), 2);
    const int eventWidth = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0)) - 12 * ScreenDpi() / 96;
    for (int row = 0; row < logRows(); ++row) {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = 2;
        item.pszText = text;
        item.cchTextMax = 256;
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        EXPECT_LE(Written(list, text, 10000).cx, eventWidth) << Utf8(text) << " is cut off";
    }
    settle();
    Screenshot(window->handle(), "3-task-log");
}

TEST_F(NativeWindow, MovedToAScreenOfAnotherResolutionItLaysItselfOutAgainWhereTheSystemSays) {
    start();
    RECT suggested{40, 30, 900, 700};
    ::SendMessageW(window->handle(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    expectTableBoxes(120);
    RECT placed{};
    ::GetWindowRect(window->handle(), &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);
}

TEST_F(NativeWindow, EveryCaptionIsTheFlowsText) {
    start(MakeSetupRecord("VOR.1H.FWR", "", "6000"));
    const WindowTexts texts = WindowTextsOf(*h.flow);
    EXPECT_EQ(TextOf(window->handle()), WindowTexts::BuiltInCaption);
    EXPECT_NE(button(texts.back), nullptr);
    EXPECT_NE(button(texts.next), nullptr);
    EXPECT_NE(button("Schließen"), nullptr);
    wchar_t column[64] = {};
    LVCOLUMNW read{};
    read.mask = LVCF_TEXT;
    read.pszText = column;
    read.cchTextMax = 64;
    ::SendMessageW(Child(window->handle(), WC_LISTVIEWW), LVM_GETCOLUMNW, 3, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(Utf8(column), "Zustand");
}

TEST_F(NativeWindow, NextAndBackReachTheFlowAndTheTaskLogReplacesThePage) {
    start();
    press("Next");  // a 1E DC goes to the Deep Sleep page
    EXPECT_EQ(h.state.Stage, 2);
    EXPECT_TRUE(::IsWindowEnabled(button("Back")));
    h.backend.onUpdate = [&] {
        h.flow->InsertTaskList(IconError, "Upload failed", "");
        h.flow->ResetStage();
    };
    press("Next");
    EXPECT_THAT(h.callsAfterStartUp(),
                ElementsAre("ReadIdentity", "ParseIdentity", "EnterDeepSleep", "UpdateFirmware"));
    EXPECT_TRUE(::IsWindowVisible(Child(window->handle(), WC_LISTVIEWW)));
    EXPECT_EQ(logRows(), 1);
    EXPECT_FALSE(::IsWindowEnabled(button("Next")));
    press("Back");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_FALSE(::IsWindowVisible(Child(window->handle(), WC_LISTVIEWW)));
    EXPECT_EQ(logRows(), 0);
    EXPECT_TRUE(::IsWindowEnabled(button("Next")));
    EXPECT_FALSE(::IsWindowEnabled(button("Back")));
}

TEST_F(NativeWindow, CloseButtonRunsTheSequenceAndHidesTheWindow) {
    start();
    press("Close");
    EXPECT_THAT(h.callsAfterStartUp(), ElementsAre("AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_TRUE(h.flow->ended());
    EXPECT_FALSE(::GetWindowLongPtrW(window->handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(::IsWindowVisible(window->handle()));
}

TEST_F(NativeWindow, CloseBoxRunsTheSameSequenceOnce) {
    start();
    h.leavePendingBackup();
    ::SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    ::SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(std::count(h.backend.log.begin(), h.backend.log.end(), "ProfileRecovering"), 1);
    EXPECT_EQ(h.endCalls, 1);
}

}  // namespace
}  // namespace vor::test
