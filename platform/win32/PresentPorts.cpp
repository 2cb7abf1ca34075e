#include "platform/win32/PresentPorts.h"

#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include "platform/win32/Utf16.h"

namespace vor {

namespace {

// GUID_DEVCLASS_PORTS: COM and LPT ports.
constexpr GUID PortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

std::wstring PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    const HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t name[64] = {};
    DWORD size = sizeof(name) - sizeof(wchar_t);  // room for the zero a value may lack
    DWORD type = 0;
    const LONG status = ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(name) : std::wstring();
}

}  // namespace

std::vector<PortDevice> PresentSerialPorts() {
    std::vector<PortDevice> present;
    const HDEVINFO devices = ::SetupDiGetClassDevsW(&PortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return present;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        wchar_t path[512] = {};
        if (!::SetupDiGetDeviceInstanceIdW(devices, &device, path, 512, nullptr)) continue;
        const std::wstring port = PortNameOf(devices, device);
        if (!port.empty()) present.push_back({Utf8(path), Utf8(port)});
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return present;
}

UsbIdentity PresentIdentityOfPort(const std::string& portName) {
    return IdentityOfPort(PresentSerialPorts(), portName);
}

}  // namespace vor
