#pragma once
// The Windows services that port discovery reads: the version query and the three
// registry calls. Plain C++; the Win32 binding (RegistryWin32.cpp) is compiled on
// Windows only, tests use a fake.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vor {

// The fields of the OSVERSIONINFO record that the OS name depends on.
struct OsVersionInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint32_t platformId = 0;
};

using RegistryHandle = std::uintptr_t;

constexpr std::uint32_t RegistryTypeString = 1;  // REG_SZ
constexpr std::uint32_t RegistryTypeBinary = 3;  // REG_BINARY
constexpr std::uint32_t RegistryTypeDword = 4;   // REG_DWORD
constexpr std::uint32_t KeyAllAccess = 0xF003F;  // KEY_ALL_ACCESS

class Registry {
public:
    virtual ~Registry() = default;

    // GetVersionExA; false when the call fails.
    virtual bool GetVersionEx(OsVersionInfo& info) = 0;
    // RegOpenKeyExA under HKEY_LOCAL_MACHINE; 0 on success, else the system error code.
    virtual long OpenLocalMachineKey(const std::string& subKey, std::uint32_t access, RegistryHandle& handle) = 0;
    // RegQueryValueExA. With `data` null only the type and size are returned; else at
    // most `size` bytes are copied into it and `size` becomes the bytes stored.
    virtual long QueryValue(RegistryHandle handle, const std::string& valueName, std::uint32_t& type,
                            std::uint8_t* data, std::uint32_t& size) = 0;
    // RegCloseKey; called also for a handle whose open failed.
    virtual void CloseKey(RegistryHandle handle) = 0;
};

#ifdef _WIN32
std::unique_ptr<Registry> MakeWin32Registry();
#endif

}  // namespace vor
