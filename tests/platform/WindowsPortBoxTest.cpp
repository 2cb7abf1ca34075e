// The interface box for the port a diver typed on Windows, from the real Win32 errors
// (run under Wine): each name gets the box that says what is wrong with it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/PortDiagnosis.h"
#include "platform/PortDiagnosisText.h"
#include "platform/win32/Win32SerialPort.h"

namespace vor {
namespace {

struct TypedPort {
    const char* typed;
    const char* boxStarts;  // the finding's line
};

class WindowsPortBox : public ::testing::TestWithParam<TypedPort> {};

TEST_P(WindowsPortBox, NamesThePortAndWhatIsWrongWithIt) {
    Win32Waits waits;
    Win32SerialPort port(waits);
    PortOpenOutcome outcome = port.open(GetParam().typed);
    outcome.named = true;
    EXPECT_NE(outcome.result, PortOpenResult::Opened);
    EXPECT_FALSE(port.isOpen());
    const std::string box = PortDiagnosisText(LivePortDiagnosis()(outcome), PortMessageFallback);
    EXPECT_EQ(box.substr(0, box.find("\r\n")).rfind(GetParam().boxStarts, 0), 0u) << box;
    EXPECT_EQ(box.find("dialout"), std::string::npos) << box;
}

INSTANTIATE_TEST_SUITE_P(Typed, WindowsPortBox,
                         ::testing::Values(TypedPort{"COM0", "COM0 is a device name that Windows reserves"},
                                           TypedPort{"COM256", "There is no serial port COM256 on this computer."},
                                           TypedPort{"COM57:", "There is no serial port COM57 on this computer."},
                                           TypedPort{"CON", "CON is a device name that Windows reserves"},
                                           TypedPort{"NUL", "NUL is a device name that Windows reserves"},
                                           TypedPort{"LPT1", "LPT1 is a device name that Windows reserves"},
                                           TypedPort{"\\\\.\\CON", "CON is a device name that Windows reserves"},
                                           TypedPort{"C:\\windows", "C:\\windows is not a serial port."}));

}  // namespace
}  // namespace vor
