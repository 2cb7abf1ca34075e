#pragma once
// Where profile backups live: beside the program when that folder is writable (so a
// backup made by an older copy of the program is found again), else in the user's
// data folder.

#include <filesystem>
#include <string>
#include <vector>

namespace vor {

constexpr const char* BackupFolderAppName = "vor-fwupdate";

// The program folder when a file can be created there (tested by creating a file of
// a fresh name exclusively and removing it; nothing already there is opened);
// otherwise $XDG_DATA_HOME/vor-fwupdate or ~/.local/share/vor-fwupdate
// (%LOCALAPPDATA%\vor-fwupdate on Windows), created when missing.
// Falls back to the program folder when no user folder can be made.
// A folder under /usr or /opt counts as not writable even for root.
std::filesystem::path ChooseBackupFolder(const std::filesystem::path& programFolder);

// Every folder a backup of this program may lie in: new ones go to `primary`; a saved
// profile is looked for there first, then in `others`, in their order (a program
// moved into a system folder, or a copy run from a writable one, keeps finding what
// the other kept).
struct BackupFolders {
    // One folder: nothing else to look in.
    BackupFolders(std::filesystem::path only) : primary(std::move(only)) {}
    BackupFolders(const std::string& only) : primary(only) {}
    BackupFolders(std::filesystem::path primaryFolder, std::vector<std::filesystem::path> otherFolders)
        : primary(std::move(primaryFolder)), others(std::move(otherFolders)) {}
    std::filesystem::path primary;
    std::vector<std::filesystem::path> others;
    // Every folder, in the order saved profiles are looked for.
    std::vector<std::filesystem::path> all() const {
        std::vector<std::filesystem::path> folders{primary};
        folders.insert(folders.end(), others.begin(), others.end());
        return folders;
    }
};

// ChooseBackupFolder's folder, then the other of the program folder and the user's
// data folder (not created for the look).
BackupFolders ChooseBackupFolders(const std::filesystem::path& programFolder);

// True for the folder of a system-wide installed program (/usr/..., /opt/...).
bool IsInstalledProgramFolder(const std::filesystem::path& programFolder);

// The user's data folder ($XDG_DATA_HOME, ~/.local/share; %LOCALAPPDATA% on
// Windows); empty when the environment names none. This one and the one above
// come from BackupFolderPosix.cpp or BackupFolderWindows.cpp.
std::filesystem::path UserDataFolder();

}  // namespace vor
