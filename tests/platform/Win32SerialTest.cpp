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
