#include <cstdlib>

#include "profile/BackupFolder.h"

namespace vor {

std::filesystem::path UserDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return std::filesystem::path(xdg);
    if (const char* home = std::getenv("HOME"); home && *home) return std::filesystem::path(home) / ".local" / "share";
    return {};
}

bool IsInstalledProgramFolder(const std::filesystem::path& programFolder) {
    // A packaged program lies under /usr or /opt; run with root rights it could write
    // there, but a diver's backups do not belong among the package's files.
    const std::string folder = programFolder.lexically_normal().generic_string();
    return folder.rfind("/usr/", 0) == 0 || folder.rfind("/opt/", 0) == 0;
}

}  // namespace vor
