// Port discovery on a fake registry: OS names, the key each family reads, and the
// port values that must not become a port number.

#include <gtest/gtest.h>

#include <map>

#include "platform/ComPortIdentity.h"
#include "platform/PortDiscovery.h"
#include "platform/UsbIdentity.h"

namespace vor {
namespace {

const std::string FtdiKey = "Enum\\FTDIBUS\\VID_0403+PID_F460+20030001A\\0000";
const std::string DeviceMap = "Hardware\\DeviceMap\\SerialComm";

class FakeRegistry : public Registry {
public:
    struct Value {
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    OsVersionInfo version{5, 1, 2600, 2};
    std::map<std::string, std::map<std::string, Value>> keys;
    std::vector<std::string> opened;
    std::uint32_t lastAccess = 0;
    long openStatus = 0;  // e.g. 5 = access denied
    int closes = 0;

    void setString(const std::string& key, const std::string& name, const std::string& text) {
        keys[key][name] = {RegistryTypeString, {text.begin(), text.end()}};
    }

    bool GetVersionEx(OsVersionInfo& info) override {
        info = version;
        return true;
    }
    long OpenLocalMachineKey(const std::string& subKey, std::uint32_t access, RegistryHandle& handle) override {
        opened.push_back(subKey);
        lastAccess = access;
        if (openStatus != 0) return openStatus;
        if (!keys.count(subKey)) return 2;  // not found
        handle = opened.size();
        return 0;
    }
    long QueryValue(RegistryHandle handle, const std::string& valueName, std::uint32_t& type, std::uint8_t* data,
                    std::uint32_t& size) override {
        const auto& values = keys.at(opened.at(handle - 1));
        const auto it = values.find(valueName);
        if (it == values.end()) return 2;
        type = it->second.type;
        if (data == nullptr) {
            size = static_cast<std::uint32_t>(it->second.data.size());
            return 0;
        }
        if (size < it->second.data.size()) return 234;  // more data
        std::copy(it->second.data.begin(), it->second.data.end(), data);
        size = static_cast<std::uint32_t>(it->second.data.size());
        return 0;
    }
    void CloseKey(RegistryHandle) override { ++closes; }
};

std::string WithZero(const std::string& text) { return text + std::string(1, '\0'); }

TEST(GetOsName, NamesTheWindowsFamily) {
    FakeRegistry registry;
    PortDiscovery discovery(registry);
    const std::pair<OsVersionInfo, const char*> cases[] = {
        {{10, 0, 19045, 2}, "WindowsNT"}, {{4, 0, 1381, 0}, "WindowsNT"},
        {{5, 0, 0, 1}, "Windows2000"},    {{4, 0, 950, 1}, "Windows95"},
        {{3, 95, 0, 1}, "Windows95"},     {{4, 10, 2222, 1}, "Windows98"},
        {{4, 90, 3000, 1}, "Windows98"},  {{6, 0, 0, 3}, ""}};
    for (const auto& [info, name] : cases) {
        registry.version = info;
        EXPECT_EQ(discovery.GetOsName(), name);
    }
}

TEST(FindInterfacePort, ComOneWithItsZeroGivesPortOne) {
    FakeRegistry registry;
    registry.setString(DeviceMap, "\\Device\\VCP0", WithZero("COM1"));
    PortDiscovery discovery(registry);
    EXPECT_TRUE(discovery.FindInterfacePort());
    EXPECT_EQ(discovery.ComPortNumber, 1);
    EXPECT_EQ(registry.lastAccess, 0xF003Fu);
    EXPECT_EQ(registry.closes, 1);
}

TEST(FindInterfacePort, ComTwelveGivesTwelveAndComZeroGivesFalse) {
    FakeRegistry registry;
    PortDiscovery discovery(registry);
    registry.setString(DeviceMap, "\\Device\\VCP0", WithZero("COM12"));
    EXPECT_TRUE(discovery.FindInterfacePort());
    EXPECT_EQ(discovery.ComPortNumber, 12);
    registry.setString(DeviceMap, "\\Device\\VCP0", WithZero("COM0"));
    EXPECT_FALSE(discovery.FindInterfacePort());
    EXPECT_EQ(discovery.ComPortNumber, 0);
}

TEST(FindInterfacePort, NtFamilyReadsTheDeviceMapEvenWhenTheFtdiKeyExists) {
    FakeRegistry registry;
    registry.setString(FtdiKey, "PortName", WithZero("COM7"));
    registry.setString(DeviceMap, "\\Device\\VCP0", WithZero("COM3"));
    PortDiscovery discovery(registry);
    EXPECT_TRUE(discovery.FindInterfacePort());
    EXPECT_EQ(discovery.ComPortNumber, 3);
    EXPECT_EQ(registry.opened, (std::vector<std::string>{DeviceMap}));
}

TEST(FindInterfacePort, Windows98ReadsTheFtdiEnumerationKey) {
    FakeRegistry registry;
    registry.version = {4, 10, 2222, 1};
    registry.setString(FtdiKey, "PortName", WithZero("COM7"));
    registry.setString(DeviceMap, "\\Device\\VCP0", WithZero("COM3"));
    PortDiscovery discovery(registry);
    EXPECT_TRUE(discovery.FindInterfacePort());
    EXPECT_EQ(discovery.ComPortNumber, 7);
}

TEST(FindInterfacePort, OpenRefusedOrKeyOrValueMissingGivesFalseAndStillClosesTheKey) {
    FakeRegistry registry;
    registry.setString(DeviceMap, "\\Device\\VCP0", WithZero("COM4"));
    registry.openStatus = 5;  // access denied
    PortDiscovery discovery(registry);
    EXPECT_FALSE(discovery.FindInterfacePort());
    EXPECT_EQ(registry.closes, 1);

    FakeRegistry empty;
    PortDiscovery none(empty);
    EXPECT_FALSE(none.FindInterfacePort());

    FakeRegistry noValue;
    noValue.keys[DeviceMap];
    PortDiscovery missing(noValue);
    EXPECT_FALSE(missing.FindInterfacePort());
}

TEST(FindInterfacePort, MalformedValuesGiveFalse) {
    const std::string texts[] = {"COM5" /* no zero */, WithZero("COM"),   WithZero("CO"),
                                 WithZero("COM300"),   WithZero("COMx"),  WithZero("COM1a"),
                                 WithZero("COM 5"),    WithZero("COM-1"), WithZero("COM1234")};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        FakeRegistry registry;
        registry.setString(DeviceMap, "\\Device\\VCP0", text);
        PortDiscovery discovery(registry);
        EXPECT_FALSE(discovery.FindInterfacePort());
        EXPECT_EQ(discovery.ComPortNumber, 0);
    }
    FakeRegistry numeric;
    numeric.keys[DeviceMap]["\\Device\\VCP0"] = {RegistryTypeDword, {5, 0, 0, 0}};
    PortDiscovery discovery(numeric);
    EXPECT_FALSE(discovery.FindInterfacePort());
}

TEST(FindInterfacePort, CutsTheTextAtItsFirstZero) {
    FakeRegistry registry;
    registry.setString(DeviceMap, "\\Device\\VCP0", std::string("COM255\0junk\0", 12));
    PortDiscovery discovery(registry);
    EXPECT_TRUE(discovery.FindInterfacePort());
    EXPECT_EQ(discovery.ComPortNumber, 255);
}

TEST(QueryRegistryValue, ReadsTextsAndIntegersAndRejectsOtherTypes) {
    FakeRegistry registry;
    registry.keys["K"]["s"] = {RegistryTypeString, {'C', 'O', 'M', '9', 0}};
    registry.keys["K"]["d"] = {RegistryTypeDword, {0x78, 0x56, 0x34, 0x12}};
    registry.keys["K"]["b"] = {RegistryTypeBinary, {1, 0, 0, 0}};
    registry.keys["K"]["m"] = {7, {0}};  // multi-string
    RegistryHandle handle = 0;
    ASSERT_EQ(registry.OpenLocalMachineKey("K", KeyAllAccess, handle), 0);
    PortDiscovery discovery(registry);

    RegistryValue value;
    EXPECT_EQ(discovery.QueryRegistryValue(handle, "s", value), 0);
    EXPECT_EQ(std::get<std::string>(value), std::string("COM9\0", 5));
    EXPECT_EQ(discovery.QueryRegistryValue(handle, "d", value), 0);
    EXPECT_EQ(std::get<std::int32_t>(value), 0x12345678);
    EXPECT_EQ(discovery.QueryRegistryValue(handle, "b", value), 0);
    EXPECT_EQ(std::get<std::int32_t>(value), 1);
    EXPECT_EQ(discovery.QueryRegistryValue(handle, "m", value), -1);
    EXPECT_EQ(std::get<std::int32_t>(value), 1);  // unchanged
    EXPECT_EQ(discovery.QueryRegistryValue(handle, "absent", value), 2);
}

// A port opened again after a failure must be the same cable, not whatever took its name.
TEST(UsbIdentity, OnlyTheSameUsbDeviceIsReopenedAndAPortWithoutOneByName) {
    const UsbIdentity cable{0x0403, 0xF460, "VOR123"};
    EXPECT_TRUE(MayReopen(cable, cable));
    EXPECT_FALSE(MayReopen(cable, {0x0403, 0xF460, "VOR999"}));  // another cable of the same kind
    EXPECT_FALSE(MayReopen(cable, {0x1A86, 0x7523, ""}));        // another device
    EXPECT_FALSE(MayReopen(cable, {}));                          // nothing under the name yet
    EXPECT_TRUE(MayReopen({}, {}));                              // a pseudo-terminal
}

// On Windows the device behind a COM port is read from the serial ports the system
// lists as plugged in: when the port is opened, and again before it is reopened.
TEST(IdentityOfPort, OnlyTheCableFirstOpenedIsTakenBackUnderItsPortsName) {
    const PortDevice cable{"FTDIBUS\\VID_0403+PID_F460+FT4ABCDEA\\0000", "COM5"};
    const PortDevice sameKind{"FTDIBUS\\VID_0403+PID_F460+FT4ZZZZZA\\0000", "COM5"};
    const PortDevice otherKind{"USB\\VID_1A86&PID_7523\\5&1A2B3C&0&2", "COM5"};
    const PortDevice cableElsewhere{"FTDIBUS\\VID_0403+PID_F460+FT4ABCDEA\\0000", "COM7"};
    struct Row {
        std::vector<PortDevice> atOpen, atReopen;
        bool reopened;
        const char* what;
    };
    for (const Row& r :
         {Row{{cable}, {{sameKind.instancePath, "COM7"}, cable}, true, "the same cable back"},
          Row{{cable}, {sameKind}, false, "another cable of the same kind"},
          Row{{cable}, {otherKind}, false, "another device"}, Row{{cable}, {}, false, "nothing under the name yet"},
          Row{{cable}, {cableElsewhere}, false, "the cable back under another name"},
          Row{{}, {}, true, "a port without a USB device (Wine's pseudo-terminal)"}})
        EXPECT_EQ(MayReopen(IdentityOfPort(r.atOpen, "COM5"), IdentityOfPort(r.atReopen, "com5:")), r.reopened)
            << r.what;
    const UsbIdentity id = IdentityOfPort({otherKind}, "\\\\.\\COM5");
    EXPECT_EQ(id.vendor, 0x1A86);
    EXPECT_EQ(id.product, 0x7523);
}

}  // namespace
}  // namespace vor
