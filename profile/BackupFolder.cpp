#include "profile/BackupFolder.h"

#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "profile/DurableFile.h"

namespace vor {
namespace {

// A fresh name created exclusively: an existing file or link under any name is never
// opened, so a planted link cannot make the probe write somewhere else.
bool CanCreateFileIn(const std::filesystem::path& folder) {
    constexpr int Tries = 8;  // a taken name is tried again with another one
    std::random_device entropy;
    for (int i = 0; i < Tries; ++i) {
        const std::filesystem::path probe =
            folder / (".vor-fwupdate-write-test-" + std::to_string(entropy()) + "-" + std::to_string(i));
        std::FILE* file = CreateNewFile(probe, /*binary=*/true);
        if (!file) {
            std::error_code ec;
            if (std::filesystem::symlink_status(probe, ec).type() != std::filesystem::file_type::not_found) continue;
            return false;
        }
        const bool written = std::fputc('x', file) != EOF && std::fflush(file) == 0;
        std::fclose(file);
        std::error_code ec;
        std::filesystem::remove(probe, ec);
        return written && !ec;
    }
    return false;
}

}  // namespace

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

BackupFolders ChooseBackupFolders(const std::filesystem::path& programFolder) {
    BackupFolders folders(ChooseBackupFolder(programFolder));
    const std::filesystem::path user = UserDataFolder();
    const std::filesystem::path userFolder = user.empty() ? std::filesystem::path() : user / BackupFolderAppName;
    for (const auto& other : {programFolder, userFolder}) {
        std::error_code ec;
        if (other.empty() || std::filesystem::equivalent(other, folders.primary, ec)) continue;
        if (other == folders.primary) continue;
        folders.others.push_back(other);
    }
    return folders;
}

}  // namespace vor
