#include <cstdlib>

#include "profile/BackupFolder.h"

namespace vor {

std::filesystem::path UserDataFolder() {
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) return std::filesystem::path(local);
    return {};
}

// A program installed under Program Files is not writable for the user anyway, so
// the write test alone decides.
bool IsInstalledProgramFolder(const std::filesystem::path&) { return false; }

}  // namespace vor
