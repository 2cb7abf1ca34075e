// The Windows services against the real Win32 API (run under Wine in CI): the cable's
// port in the registry, the three priority classes, the sleep inhibitor.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/PortDiscovery.h"
#include "platform/ProcessPriority.h"
#include "platform/SleepInhibitor.h"

namespace vor {
namespace {

constexpr const char* SerialCommKey = "Hardware\\DeviceMap\\SerialComm";
constexpr const char* CableValue = "\\Device\\VCP0";

// The value a plugged-in cable leaves in the device map; removed again at the end.
class CableInRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, SerialCommKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override {
        RegDeleteValueA(key_, CableValue);
        RegCloseKey(key_);
    }
    void Set(DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(key_, CableValue, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    bool Find(std::uint8_t& port) {
        auto registry = MakeWin32Registry();
        PortDiscovery discovery(*registry);
        const bool found = discovery.FindInterfacePort();
        port = discovery.ComPortNumber;
        return found;
    }
    HKEY key_ = nullptr;
};

TEST_F(CableInRegistry, PortNameIsFoundAndNoCableOrANumberIsNoPort) {
    std::uint8_t port = 0;
    Set(REG_SZ, "COM7", 5);
    EXPECT_TRUE(Find(port));
    EXPECT_EQ(port, 7);

    RegDeleteValueA(key_, CableValue);  // no cable
    EXPECT_FALSE(Find(port));
    EXPECT_EQ(port, 0);

    const DWORD number = 7;  // a value that is no port name
    Set(REG_DWORD, &number, sizeof number);
    EXPECT_FALSE(Find(port));
}

TEST(WindowsPriority, ClassesStayBelowRealTimeAndReadBackAsSet) {
    const struct {
        int priorityClass;
        DWORD windowsClass;
    } steps[] = {{256, HIGH_PRIORITY_CLASS}, {128, ABOVE_NORMAL_PRIORITY_CLASS}, {32, NORMAL_PRIORITY_CLASS}};
    for (const auto& step : steps) {
        EXPECT_EQ(SetProcessPriority(0, 0, step.priorityClass), step.priorityClass);
        EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), step.windowsClass) << step.priorityClass;
    }
}

TEST(WindowsSleepInhibitor, HoldsWhileTheHoldLives) {
    auto hold = MakeSystemSleepInhibitor()->inhibit(SleepWhyUpdate);
    EXPECT_NE(hold, nullptr);
}

}  // namespace
}  // namespace vor
