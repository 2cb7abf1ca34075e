// A terminal run told by Windows that the user logs off: a program that loads user32 hears
// it through its top-level windows, not its console handler, and the run ends as on the
// console's own events.

#include <gtest/gtest.h>

#include <optional>

#include "platform/InterruptWatch.h"
#include "platform/win32/Win32Waits.h"

namespace vor {
namespace {

HWND SessionWindow() {
    // Made by a thread of its own as the watch starts.
    for (int tries = 0; tries < 250; ++tries) {
        if (const HWND window = ::FindWindowW(L"vor-fwupdate session", nullptr)) return window;
        ::Sleep(20);
    }
    return nullptr;
}

TEST(SessionEnd, LogoffToldToTheProgramsWindowsEndsTheRunLikeTerminate) {
    std::optional<Interrupt> served;
    const auto watch = WatchInterrupts([&](Interrupt kind) { served = kind; });
    ASSERT_TRUE(watch);
    const HWND window = SessionWindow();
    ASSERT_NE(window, nullptr) << "no hidden window to hear the end of the session";

    DWORD_PTR agreed = FALSE;
    ASSERT_TRUE(
        ::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &agreed));
    EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));  // a terminal run never holds a logoff back
    EXPECT_FALSE(watch->interrupted());

    // The window keeps WM_ENDSESSION until the program has ended: posted, not sent.
    ASSERT_TRUE(::PostMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));
    ASSERT_TRUE(Win32Waits::Instance().waitOne(10000));
    EXPECT_EQ(served, Interrupt::Terminate);
    EXPECT_TRUE(watch->interrupted());
}

}  // namespace
}  // namespace vor
