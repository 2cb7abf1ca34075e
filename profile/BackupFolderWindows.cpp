#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "profile/BackupFolder.h"

namespace vor {

namespace {

// Windows paths compare without regard to case or the kind of slash.
std::string Comparable(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().generic_string();
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    while (!text.empty() && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

std::filesystem::path UserDataFolder() {
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) return std::filesystem::path(local);
    return {};
}

bool IsInstalledProgramFolder(const std::filesystem::path& programFolder) {
    // The installer puts the program under Program Files. An administrator (or Wine)
    // can write there, but a diver's backups do not belong among the installed files,
    // and the uninstaller would leave them in a folder nobody looks into.
    const std::string folder = Comparable(programFolder) + "/";
    for (const char* variable : {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        const std::string installed = Comparable(value) + "/";
        if (folder.rfind(installed, 0) == 0) return true;
    }
    return false;
}

}  // namespace vor
