// Where backups go on Windows: never among the installed program's files under Program
// Files, even where they could be written (an administrator, Wine).
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>

#include "profile/BackupFolder.h"

using namespace vor;

TEST(BackupFolder, ProgramFilesIsAnInstalledFolderWhateverItsCaseOrSlashes) {
    ASSERT_EQ(::_putenv_s("ProgramFiles", "C:\\Program Files"), 0);
    ASSERT_EQ(::_putenv_s("ProgramFiles(x86)", "C:\\Program Files (x86)"), 0);
    EXPECT_TRUE(IsInstalledProgramFolder("C:\\Program Files\\vor-fwupdate"));
    EXPECT_TRUE(IsInstalledProgramFolder("c:/program files/VOR-FWUPDATE/"));
    EXPECT_TRUE(IsInstalledProgramFolder("C:\\Program Files (x86)\\vor-fwupdate"));
    EXPECT_FALSE(IsInstalledProgramFolder("C:\\Program Files Backup\\vor-fwupdate"));
    EXPECT_FALSE(IsInstalledProgramFolder("C:\\Users\\diver\\Desktop\\vor-fwupdate"));
}

TEST(BackupFolder, AWritableInstalledFolderStillSendsTheBackupsToTheUsersDataFolder) {
    const std::filesystem::path base = std::filesystem::temp_directory_path() / "vor-folder-windows";
    std::filesystem::remove_all(base);
    const std::filesystem::path programFiles = base / "Program Files";
    std::filesystem::create_directories(programFiles / "vor-fwupdate");
    ASSERT_EQ(::_putenv_s("ProgramFiles", programFiles.string().c_str()), 0);
    ASSERT_EQ(::_putenv_s("LOCALAPPDATA", (base / "Local").string().c_str()), 0);
    EXPECT_EQ(ChooseBackupFolder(programFiles / "vor-fwupdate"), base / "Local" / "vor-fwupdate");
    // A copied program folder elsewhere keeps its backups beside the program.
    std::filesystem::create_directories(base / "stick");
    EXPECT_EQ(ChooseBackupFolder(base / "stick"), base / "stick");
    std::filesystem::remove_all(base);
}
