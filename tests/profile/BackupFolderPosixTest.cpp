// Where backups go on a POSIX system: the program folder when it may be written and is
// not a system folder, else the user's data folder.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "profile/BackupFolder.h"
#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;

TEST(BackupFolder, WritableProgramFolderIsUsedElseTheUserDataFolderIsMade) {
    char pattern[] = "/tmp/vor-folder-XXXXXX";
    const std::filesystem::path base = ::mkdtemp(pattern);
    EXPECT_EQ(ChooseBackupFolder(base), base);
    EXPECT_TRUE(std::filesystem::is_empty(base));  // the probe file is gone

    const std::filesystem::path notAFolder = base / "file";
    WriteFile(notAFolder, Bytes{1});
    ::setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
    const auto chosen = ChooseBackupFolder(notAFolder / "program");
    EXPECT_EQ(chosen, base / "data" / "vor-fwupdate");
    EXPECT_TRUE(std::filesystem::is_directory(chosen));
    ::unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(base);
}

TEST(BackupFolder, InstalledProgramFolderIsNeverUsedEvenWhenWritable) {
    EXPECT_TRUE(IsInstalledProgramFolder("/usr/lib/vor-fwupdate"));
    EXPECT_TRUE(IsInstalledProgramFolder("/opt/vor/bin"));
    EXPECT_FALSE(IsInstalledProgramFolder("/home/diver/vor-fwupdate/build/bin"));
    char pattern[] = "/tmp/vor-folder-XXXXXX";
    const std::filesystem::path base = ::mkdtemp(pattern);
    ::setenv("XDG_DATA_HOME", base.c_str(), 1);
    // /usr/lib is writable when the tests run as root; the backups still go to the user's folder.
    EXPECT_EQ(ChooseBackupFolder("/usr/lib/vor-fwupdate"), base / "vor-fwupdate");
    // Saved profiles are looked for in the other folder too: a program that moved
    // (installed, or a copy run from a writable folder) finds what the other kept.
    const BackupFolders installed = ChooseBackupFolders("/usr/lib/vor-fwupdate");
    EXPECT_EQ(installed.primary, base / "vor-fwupdate");
    EXPECT_EQ(installed.others, std::vector<std::filesystem::path>{"/usr/lib/vor-fwupdate"});
    const BackupFolders copy = ChooseBackupFolders(base);
    EXPECT_EQ(copy.primary, base);
    EXPECT_EQ(copy.others, std::vector<std::filesystem::path>{base / "vor-fwupdate"});
    ::unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(base);
}
