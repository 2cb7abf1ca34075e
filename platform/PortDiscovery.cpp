#include "platform/PortDiscovery.h"

#include <vector>

namespace vor {

namespace {
constexpr const char* FtdiEnumKey = "Enum\\FTDIBUS\\VID_0403+PID_F460+20030001A\\0000";
constexpr const char* FtdiEnumValue = "PortName";
constexpr const char* DeviceMapKey = "Hardware\\DeviceMap\\SerialComm";
constexpr const char* DeviceMapValue = "\\Device\\VCP0";
constexpr std::size_t PortPrefixLength = 3;  // "COM"
constexpr std::size_t MaxPortDigits = 3;

// "COMn" up to the terminating zero; 0 when the text has no zero or no number 0..255.
std::uint8_t PortNumberOf(const std::string& text) {
    const std::size_t zero = text.find('\0');
    if (zero == std::string::npos) return 0;
    const std::string name = text.substr(0, zero);
    if (name.size() <= PortPrefixLength || name.size() > PortPrefixLength + MaxPortDigits) return 0;
    int number = 0;
    for (std::size_t i = PortPrefixLength; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number <= 255 ? static_cast<std::uint8_t>(number) : 0;
}
}  // namespace

std::string PortDiscovery::GetOsName() {
    OsVersionInfo info;
    if (!registry_.GetVersionEx(info)) return "";
    switch (info.platformId) {
    case 0:
    case 2: return "WindowsNT";
    case 1:
        if (info.majorVersion == 5) return "Windows2000";
        if (info.majorVersion < 4 || (info.majorVersion == 4 && info.minorVersion == 0)) return "Windows95";
        return "Windows98";
    default: return "";
    }
}

long PortDiscovery::QueryRegistryValue(RegistryHandle handle, const std::string& valueName, RegistryValue& value) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const long probe = registry_.QueryValue(handle, valueName, type, nullptr, size);
    if (probe != 0) return probe;
    if (type == RegistryTypeString) {
        std::vector<std::uint8_t> data(size, 0);
        const long status = registry_.QueryValue(handle, valueName, type, data.data(), size);
        if (status == 0)
            value = std::string(data.begin(), data.begin() + std::min<std::size_t>(size, data.size()));
        else
            value = std::string();
        return status;
    }
    if (type == RegistryTypeBinary || type == RegistryTypeDword) {
        std::uint8_t data[4] = {};
        std::uint32_t intSize = sizeof data;
        const long status = registry_.QueryValue(handle, valueName, type, data, intSize);
        if (status == 0)
            value = static_cast<std::int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                              static_cast<std::uint32_t>(data[3]) << 24);
        return status;
    }
    return RegistryTypeNotSupported;
}

bool PortDiscovery::FindInterfacePort() {
    ComPortNumber = 0;
    const bool ninetyEight = GetOsName() == "Windows98";
    const std::string key = ninetyEight ? FtdiEnumKey : DeviceMapKey;
    const std::string valueName = ninetyEight ? FtdiEnumValue : DeviceMapValue;
    RegistryHandle handle = 0;
    if (registry_.OpenLocalMachineKey(key, KeyAllAccess, handle) == 0) {
        RegistryValue value;
        if (QueryRegistryValue(handle, valueName, value) == 0) {
            // A numeric value is no port name.
            if (const auto* text = std::get_if<std::string>(&value)) ComPortNumber = PortNumberOf(*text);
        }
    }
    registry_.CloseKey(handle);
    return ComPortNumber != 0;
}

}  // namespace vor
