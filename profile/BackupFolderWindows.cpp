#include <windows.h>

#include <string>

#include "profile/BackupFolder.h"

namespace vor {

namespace {

// Read in UTF-16: the 8-bit environment garbles a user named "Jörg" and loses "ダイビング".
std::wstring EnvironmentValue(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length < value.size()) {
            value.resize(length);  // 0: not set
            return value;
        }
        value.resize(length);  // the size needed, with its terminator
    }
}

// Windows paths compare without regard to case or the kind of slash.
std::wstring Comparable(const std::filesystem::path& path) {
    std::wstring text = path.lexically_normal().generic_wstring();
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    while (!text.empty() && text.back() == L'/') text.pop_back();
    return text;
}

}  // namespace

std::filesystem::path UserDataFolder() { return std::filesystem::path(EnvironmentValue(L"LOCALAPPDATA")); }

bool IsInstalledProgramFolder(const std::filesystem::path& programFolder) {
    // The installer puts the program under Program Files. An administrator (or Wine)
    // can write there, but a diver's backups do not belong among the installed files,
    // and the uninstaller would leave them in a folder nobody looks into.
    const std::wstring folder = Comparable(programFolder) + L"/";
    for (const wchar_t* variable : {L"ProgramFiles", L"ProgramW6432", L"ProgramFiles(x86)"}) {
        const std::wstring value = EnvironmentValue(variable);
        if (value.empty()) continue;
        const std::wstring installed = Comparable(value) + L"/";
        if (folder.rfind(installed, 0) == 0) return true;
    }
    return false;
}

}  // namespace vor
