#pragma once
// Finds the COM port number of the DC's interface cable in the Windows registry.
// Where the number is kept depends on the Windows family.

#include <cstdint>
#include <string>
#include <variant>

#include "platform/Registry.h"

namespace vor {

// A registry value as QueryRegistryValue returns it: nothing, a text (its
// terminating zero included, as stored) or a 32-bit integer.
using RegistryValue = std::variant<std::monostate, std::string, std::int32_t>;

constexpr long RegistryTypeNotSupported = -1;

class PortDiscovery {
public:
    explicit PortDiscovery(Registry& registry) : registry_(registry) {}

    std::uint8_t ComPortNumber = 0;  // n of COMn; 0 = not found

    // "WindowsNT", "Windows2000", "Windows95", "Windows98", or empty.
    std::string GetOsName();
    // 0 = read; -1 = type not supported; otherwise the registry's error code.
    long QueryRegistryValue(RegistryHandle handle, const std::string& valueName, RegistryValue& value);
    // True when a port number other than 0 was found; sets ComPortNumber. A value
    // without its terminating zero, of numeric type, or not "COM" and a number up to
    // 255 gives false.
    bool FindInterfacePort();

private:
    Registry& registry_;
};

}  // namespace vor
