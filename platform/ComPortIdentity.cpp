#include "platform/ComPortIdentity.h"

#include <cctype>
#include <optional>

#include "platform/WindowsPortName.h"

namespace vor {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

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
    const std::string wanted = Upper(ComPortName(portName));
    for (const PortDevice& device : present) {
        if (Upper(ComPortName(device.portName)) != wanted) continue;
        const std::string path = Upper(device.instancePath);
        return {HexField(path, "VID_"), HexField(path, "PID_"), path};
    }
    return {};
}

}  // namespace vor
