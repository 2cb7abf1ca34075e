#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/win32/Utf16.h"
#include "platform/win32/Win32SerialPort.h"
#include "session/Utf8Path.h"

namespace vor {

std::string ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return ".";
        if (length < path.size()) return Utf8Of(std::filesystem::path(std::wstring(path.data(), length)).parent_path());
        path.resize(path.size() * 2);
    }
}

void StartDetachedProgram(const std::string& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // The follow-up program is what the diver reads next: it starts maximized.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION process{};
    const std::wstring program = Utf16(path);
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                          nullptr, &startup, &process)) {
        std::fprintf(stderr, "vor-fwupdate: cannot start %s: %s\n", path.c_str(),
                     Win32ErrorText(::GetLastError()).c_str());
        return;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace vor
