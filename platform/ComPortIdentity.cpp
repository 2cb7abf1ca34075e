#include "platform/ComPortIdentity.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/WindowsPortName.h"

namespace vor {

namespace {

// The four hex digits after `field` ("VID_") in `path`.
std::optional<std::uint16_t> HexField(const std::string& path, const std::string& field) {
    const std::size_t at = path.find(field);
    if (at == std::string::npos || at + field.size() + 4 > path.size()) return std::nullopt;
    std::uint16_t value = 0;
    for (std::size_t i = at + field.size(); i < at + field.size() + 4; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(path[i]))) return std::nullopt;
        value = static_cast<std::uint16_t>(
            value * 16 + (std::isdigit(static_cast<unsigned char>(path[i])) ? path[i] - '0' : path[i] - 'A' + 10));
    }
    return value;
}

}  // namespace

UsbIdentity IdentityOfPort(const std::vector<PortDevice>& present, const std::string& portName) {
    const std::string wanted = ComPortKey(portName);
    for (const PortDevice& device : present) {
        if (ComPortKey(device.portName) != wanted) continue;
        std::string path = device.instancePath;  // the same device in any case
        std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::toupper(c); });
        return {HexField(path, "VID_"), HexField(path, "PID_"), path};
    }
    return {};
}

}  // namespace vor
