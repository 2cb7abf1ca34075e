// Where backups go on Windows: never among the installed program's files under Program
// Files, even where they could be written (an administrator, Wine).
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "profile/BackupFolder.h"
#include "profile/DurableFile.h"

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

TEST(BackupFolder, AUserNamedWithAccentsOrJapaneseKeepsTheBackupsInTheirOwnDataFolder) {
    const std::filesystem::path base = std::filesystem::temp_directory_path() / L"vor-folder-Jörg-ダイビング";
    std::filesystem::remove_all(base);
    const std::filesystem::path programFiles = base / L"Programme";
    std::filesystem::create_directories(programFiles / "vor-fwupdate");
    ASSERT_EQ(::_wputenv_s(L"ProgramFiles", programFiles.c_str()), 0);
    ASSERT_EQ(::_wputenv_s(L"LOCALAPPDATA", (base / L"ダイビング" / "Local").c_str()), 0);
    const std::filesystem::path folder = ChooseBackupFolder(programFiles / "vor-fwupdate");
    EXPECT_EQ(folder, base / L"ダイビング" / "Local" / "vor-fwupdate");
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(WriteFileDurably(folder / "6865.012345.bin", bytes).ok);
    EXPECT_EQ(ReadWholeFile(folder / "6865.012345.bin", 10), std::vector<std::uint8_t>(bytes, bytes + 3));
    std::FILE* record = CreateNewFile(folder / "task-log.txt", false);
    ASSERT_NE(record, nullptr);
    std::fclose(record);
    EXPECT_EQ(CreateNewFile(folder / "task-log.txt", false), nullptr) << "a name is taken once";
    std::filesystem::remove_all(base);
}
