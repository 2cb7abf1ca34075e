// Names in the backup folder that are not what they seem: links planted under the
// names the program writes, a FIFO or a folder under the name it reads.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include "profile/BackupFolder.h"
#include "tests/profile/ProfileFixture.h"

using namespace vor;
using namespace vor::test;
namespace fs = std::filesystem;

namespace {

class PlantedLinkTest : public ProfileTest, public ::testing::WithParamInterface<bool> {
protected:
    // A link to a file outside the folder: symbolic, or hard when the parameter says so.
    void Plant(const fs::path& name) {
        GetParam() ? fs::create_hard_link(folder / "victim", name) : fs::create_symlink(folder / "victim", name);
    }
};

TEST_P(PlantedLinkTest, WritesNeverReachTheLinksTarget) {
    WriteFile(folder / "victim", {'k', 'e', 'e', 'p'});
    Plant(folder / ".vor-fwupdate-write-test");
    Plant(TemporaryPathFor(BackupFile()));
    EXPECT_EQ(ChooseBackupFolder(folder), folder);
    ASSERT_TRUE(WriteFileDurably(BackupFile(), Bytes(FileSize, 0x5A)).ok);
    EXPECT_EQ(ReadFile(BackupFile()), Bytes(FileSize, 0x5A));
    EXPECT_EQ(ReadFile(folder / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
}

INSTANTIATE_TEST_SUITE_P(SymbolicAndHard, PlantedLinkTest, ::testing::Bool());

class NotAFileTest : public ProfileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NotAFileTest, UnderTheBackupNameTheBackupStepStillEnds) {
    SetProfileLines(300, 340);
    GetParam() ? (void)fs::create_directory(BackupFile()) : (void)::mkfifo(BackupFile().c_str(), 0600);
    keeper->BackupProfile();
    EXPECT_THAT(wizard.statuses.back(), ::testing::AnyOf(T(Msg::Done), T(Msg::Failed)));
}

INSTANTIATE_TEST_SUITE_P(FifoAndFolder, NotAFileTest, ::testing::Bool());

}  // namespace
