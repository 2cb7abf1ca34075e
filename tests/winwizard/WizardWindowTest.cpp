// What only the native window does: its controls, their places from the twips table,
// that each shows what the flow says, and that each button reaches the flow. The
// buttons are pressed as the keyboard and the mouse press them (BM_CLICK). No test here
// opens a box: the window's boxes are the system's, and nobody would answer them.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "flow/SetupRecord.h"
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
    int logRows() const {
        return static_cast<int>(::SendMessageW(Child(window->handle(), WC_LISTVIEWW), LVM_GETITEMCOUNT, 0, 0));
    }

    FlowHarness h;
    Win32EventPump pump;  // serves the window's messages; the flow keeps the harness's clock
    std::unique_ptr<WizardWindow> window;
};

TEST_F(NativeWindow, ControlsStandWhereTheTwipsTableSays) {
    start();
    const HWND w = window->handle();
    RECT client{};
    ::GetClientRect(w, &client);
    EXPECT_EQ(client.right, TwipsToPixels(controls::Client.width));
    EXPECT_EQ(client.bottom, TwipsToPixels(controls::Client.height));
    EXPECT_TRUE(PlaceIn(w, button("Back")) == TwipsRect(controls::BackCmd));
    EXPECT_TRUE(PlaceIn(w, button("Next")) == TwipsRect(controls::NextCmd));
    EXPECT_TRUE(PlaceIn(w, button("Close")) == TwipsRect(controls::CloseCmd));
    EXPECT_TRUE(PlaceIn(w, button("Print")) == TwipsRect(controls::PrintCmd));
    EXPECT_TRUE(PlaceIn(w, Child(w, WC_LISTVIEWW)) == TwipsRect(controls::TaskLst));
    EXPECT_FALSE(::IsWindowVisible(button("Print")));
    EXPECT_FALSE(::IsWindowVisible(Child(w, WC_LISTVIEWW)));
    EXPECT_FALSE(::IsWindowEnabled(button("Back")));
    EXPECT_TRUE(::IsWindowEnabled(button("Next")));
    EXPECT_TRUE(::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
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
