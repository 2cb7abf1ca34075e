#include "profile/BackupFolder.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace vor {
namespace {

bool CanCreateFileIn(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / ".vor-fwupdate-write-test";
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.put('x');
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return !ec;
}

std::filesystem::path UserDataFolder() {
#ifdef _WIN32
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) return std::filesystem::path(local);
    return {};
#else
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return std::filesystem::path(xdg);
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share";
    return {};
#endif
}

}  // namespace

bool IsInstalledProgramFolder(const std::filesystem::path& programFolder) {
#ifdef _WIN32
    (void)programFolder;
    return false;
#else
    // A packaged program lies under /usr or /opt; run with root rights it could write
    // there, but a diver's backups do not belong among the package's files.
    const std::string folder = programFolder.lexically_normal().generic_string();
    return folder.rfind("/usr/", 0) == 0 || folder.rfind("/opt/", 0) == 0;
#endif
}

std::filesystem::path ChooseBackupFolder(const std::filesystem::path& programFolder) {
    if (!IsInstalledProgramFolder(programFolder) && CanCreateFileIn(programFolder)) return programFolder;
    const std::filesystem::path base = UserDataFolder();
    if (base.empty()) return programFolder;
    const std::filesystem::path folder = base / BackupFolderAppName;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return programFolder;
    return folder;
}

}  // namespace vor
