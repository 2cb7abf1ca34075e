// Win32 binding of the registry interface (compiled on Windows only).

#include <windows.h>

#include "platform/Registry.h"

namespace vor {

namespace {
class Win32Registry : public Registry {
public:
    bool GetVersionEx(OsVersionInfo& info) override {
        OSVERSIONINFOA record{};
        record.dwOSVersionInfoSize = sizeof record;  // 148
        if (!::GetVersionExA(&record)) return false;
        info = {record.dwMajorVersion, record.dwMinorVersion, record.dwBuildNumber, record.dwPlatformId};
        return true;
    }
    long OpenLocalMachineKey(const std::string& subKey, std::uint32_t access, RegistryHandle& handle) override {
        HKEY key = nullptr;
        const LONG status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, access, &key);
        handle = reinterpret_cast<RegistryHandle>(key);
        return status;
    }
    long QueryValue(RegistryHandle handle, const std::string& valueName, std::uint32_t& type, std::uint8_t* data,
                    std::uint32_t& size) override {
        DWORD t = 0;
        DWORD s = size;
        const LONG status =
            ::RegQueryValueExA(reinterpret_cast<HKEY>(handle), valueName.c_str(), nullptr, &t, data, &s);
        type = t;
        size = s;
        return status;
    }
    void CloseKey(RegistryHandle handle) override {
        if (handle != 0) ::RegCloseKey(reinterpret_cast<HKEY>(handle));
    }
};
}  // namespace

std::unique_ptr<Registry> MakeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace vor
