// The Win32 event pump and serial port against the real Win32 API (run under Wine in
// CI); the port's traffic with a DC is the Wine end-to-end test's.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32EventPump.h"
#include "platform/win32/Win32SerialPort.h"
#include "platform/win32/Win32Waits.h"

namespace vor {
namespace {

TEST(Win32EventPump, YieldWithNothingToServeSleepsUntilTheDeadlineAndNoLonger) {
    Win32Waits waits;
    Win32EventPump pump(waits);
    const double start = pump.now();
    pump.yieldUntil(start + 0.05);
    const double waited = pump.now() - start;
    EXPECT_GE(waited, 0.049);
    EXPECT_LT(waited, 0.5);
    // A deadline already past still lets time move on.
    const double again = pump.now();
    pump.yieldUntil(again - 1.0);
    EXPECT_GT(pump.now(), again);
}

TEST(Win32EventPump, ASignalledSourceIsServedAtOnceAndEndingUnwindsTheNextYield) {
    Win32Waits waits;
    Win32EventPump pump(waits);
    const HANDLE event = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
    int served = 0;
    waits.add(event, [&] {
        ++served;
        ::ResetEvent(event);
    });
    const double start = pump.now();
    pump.yieldUntil(start + 5.0);
    EXPECT_EQ(served, 1);
    EXPECT_LT(pump.now() - start, 1.0);
    pump.endProgram();
    EXPECT_THROW(pump.yieldUntil(pump.now() + 5.0), ProgramEnding);
    waits.remove(event);
    ::CloseHandle(event);
}

// A message-only window that counts what reaches its window procedure.
class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_APP) ++Delivered();
            return ::DefWindowProcW(window, message, wParam, lParam);
        };
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VorCountingWindow";
        ::RegisterClassW(&windowClass);
        handle_ = ::CreateWindowW(L"VorCountingWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
        Delivered() = 0;
    }
    ~CountingWindow() { ::DestroyWindow(handle_); }
    HWND handle() const { return handle_; }
    static int& Delivered() {
        static int delivered = 0;
        return delivered;
    }

private:
    HWND handle_ = nullptr;
};

TEST(Win32EventPump, TheWindowsMessagesAreDispatchedInsideAYieldAfterTheFilterSawThem) {
    Win32Waits waits;
    Win32EventPump pump(waits);
    CountingWindow window;
    ASSERT_NE(window.handle(), nullptr);
    int filtered = 0;
    pump.dispatchWindowMessages([&](MSG& message) {
        if (message.message == WM_APP) ++filtered;
        return message.wParam == 1;  // the filter keeps this one for itself
    });
    ::PostMessageW(window.handle(), WM_APP, 0, 0);
    ::PostMessageW(window.handle(), WM_APP, 1, 0);
    const double start = pump.now();
    pump.yieldUntil(start + 5.0);
    EXPECT_LT(pump.now() - start, 1.0);  // woken by the message, not by the deadline
    EXPECT_EQ(filtered, 2);
    EXPECT_EQ(CountingWindow::Delivered(), 1);
    // A quit request is not the pump's: it stays queued for the program's own loop.
    ::PostQuitMessage(3);
    pump.yieldUntil(pump.now() + 0.05);
    MSG quit;
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

TEST(Win32EventPump, WithoutAWindowTheMessagesStayQueuedAndTheYieldKeepsItsDeadline) {
    Win32Waits waits;
    Win32EventPump pump(waits);
    CountingWindow window;
    ::PostMessageW(window.handle(), WM_APP, 0, 0);
    const double start = pump.now();
    pump.yieldUntil(start + 0.05);
    EXPECT_GE(pump.now() - start, 0.049);
    EXPECT_EQ(CountingWindow::Delivered(), 0);
    MSG message;
    EXPECT_TRUE(::PeekMessageW(&message, window.handle(), WM_APP, WM_APP, PM_REMOVE));
}

TEST(Win32SerialPort, AMissingPortIsNotFoundWithTheSystemsReasonAndWritesGoNowhere) {
    Win32Waits waits;
    Win32SerialPort port(waits);
    const PortOpenOutcome outcome = port.open("COM199");
    EXPECT_EQ(outcome.result, PortOpenResult::NotFound);
    EXPECT_EQ(outcome.portName, "COM199");
    EXPECT_FALSE(outcome.detail.empty());
    EXPECT_FALSE(port.isOpen());
    const std::uint8_t command[] = {0x84};
    port.write(command);  // nothing open: no crash, no failure report
    EXPECT_FALSE(port.reopen());
}

}  // namespace
}  // namespace vor
