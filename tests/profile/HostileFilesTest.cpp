// Names in the backup folder that are not what they seem: links planted under the
// names the program writes, and a FIFO or folder under a name it reads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "profile/BackupFolder.h"
#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;
namespace fs = std::filesystem;

namespace {

enum class Planted { Symlink, HardLink, Fifo, Folder };

class HostileFilesTest : public ProfileTest {
protected:
    // A file outside the backup folder that a link must never change.
    fs::path Victim() {
        const fs::path victim = folder / "elsewhere" / "victim";
        fs::create_directories(victim.parent_path());
        if (!fs::exists(victim)) WriteFile(victim, {'k', 'e', 'e', 'p'});
        return victim;
    }
    void Plant(Planted kind, const fs::path& name) {
        switch (kind) {
        case Planted::Symlink: fs::create_symlink(Victim(), name); break;
        case Planted::HardLink: fs::create_hard_link(Victim(), name); break;
        case Planted::Fifo: ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0); break;
        case Planted::Folder: fs::create_directory(name); break;
        }
    }
};

class PlantedLinkTest : public HostileFilesTest, public ::testing::WithParamInterface<Planted> {};

TEST_P(PlantedLinkTest, WritesNeverReachTheLinksTarget) {
    Plant(GetParam(), folder / ".vor-fwupdate-write-test");
    EXPECT_EQ(ChooseBackupFolder(folder), folder);

    Plant(GetParam(), TemporaryPathFor(BackupFile()));
    const Bytes backup(FileSize, 0x5A);
    const WriteResult written = WriteFileDurably(BackupFile(), backup);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_EQ(ReadFile(BackupFile()), backup);
    EXPECT_FALSE(fs::exists(fs::symlink_status(TemporaryPathFor(BackupFile()))));

    EXPECT_EQ(ReadFile(Victim()), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::exists(fs::symlink_status(folder / ".vor-fwupdate-write-test")));
}

INSTANTIATE_TEST_SUITE_P(Links, PlantedLinkTest, ::testing::Values(Planted::Symlink, Planted::HardLink));

class NotAFileTest : public HostileFilesTest, public ::testing::WithParamInterface<Planted> {};

TEST_P(NotAFileTest, IsRefusedWithoutBlocking) {
    Plant(GetParam(), BackupFile());
    EXPECT_FALSE(ReadWholeFile(BackupFile(), FileSize));
}

TEST_P(NotAFileTest, UnderTheBackupNameTheBackupStepStillEnds) {
    SetProfileLines(300, 340);
    Plant(GetParam(), BackupFile());
    keeper->BackupProfile();
    EXPECT_THAT(wizard.statuses.back(), ::testing::AnyOf("M777", "M280"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, NotAFileTest, ::testing::Values(Planted::Fifo, Planted::Folder));

}  // namespace
