#include "platform/WindowsPortName.h"

#include <algorithm>
#include <cctype>

namespace vor {

namespace {

constexpr const char* DevicePrefix = "\\\\.\\";

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string WithoutDevicePrefix(const std::string& name) {
    return name.rfind(DevicePrefix, 0) == 0 ? name.substr(4) : name;
}

bool IsNumberFrom(const std::string& text, std::size_t at) {
    return at < text.size() && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(),
                                           [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::string ComPortName(const std::string& typed) {
    std::string name = WithoutDevicePrefix(typed);
    if (name.size() > 1 && name.back() == ':' && LooksLikeComPort(name.substr(0, name.size() - 1))) name.pop_back();
    return name;
}

std::string ComPortKey(const std::string& typed) { return Upper(ComPortName(typed)); }

bool LooksLikeComPort(const std::string& name) {
    const std::string upper = Upper(WithoutDevicePrefix(name));
    return upper.rfind("COM", 0) == 0 && IsNumberFrom(upper, 3) && upper[3] != '0';
}

bool IsReservedDeviceName(const std::string& name) {
    std::string upper = Upper(WithoutDevicePrefix(name));
    if (!upper.empty() && upper.back() == ':') upper.pop_back();
    // "NUL.txt" is NUL too.
    upper = upper.substr(0, upper.find('.'));
    while (!upper.empty() && upper.back() == ' ') upper.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (upper == device) return true;
    if (upper.size() == 4 && upper.rfind("LPT", 0) == 0 && std::isdigit(static_cast<unsigned char>(upper[3])))
        return true;
    return upper == "COM0";
}

}  // namespace vor
