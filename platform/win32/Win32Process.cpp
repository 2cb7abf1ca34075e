#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/win32/Win32SerialPort.h"

namespace vor {

std::string ProgramFolder() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return ".";
        if (length < path.size()) return std::filesystem::path(std::string(path.data(), length)).parent_path().string();
        path.resize(path.size() * 2);
    }
}

void StartDetachedProgram(const std::string& path) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + path + "\"";
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "vor-fwupdate: cannot start %s: %s\n", path.c_str(),
                     Win32ErrorText(::GetLastError()).c_str());
        return;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace vor
