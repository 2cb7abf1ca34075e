// Set-aside backups: which ones a new set-aside prunes from the folder.
#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "profile/BackupAside.h"
#include "tests/support/TempFolder.h"

using namespace vor;
namespace fs = std::filesystem;

namespace {

constexpr const char* OwnDc = "6865.012345";
constexpr LocalTime SetAsideAt{2026, 12, 8, 17, 30, 5};
const std::string SetAsideStamp = "20261208-173005";

std::string AsideName(const std::string& dc, const std::string& stamp, int n = 1) {
    return dc + ".set-aside-" + stamp + (n == 1 ? "" : "-" + std::to_string(n)) + ".bin";
}

// `count` set-aside files of `dc` stamped `stamp`: the unsuffixed one, then -2, -3, ...
std::vector<std::string> OneSecond(const std::string& dc, const std::string& stamp, int count) {
    std::vector<std::string> names;
    for (int n = 1; n <= count; ++n) names.push_back(AsideName(dc, stamp, n));
    return names;
}

// `count` set-aside files of `dc`, one per second from `day` 00:00:00.
std::vector<std::string> OnePerSecond(const std::string& dc, const std::string& day, int count) {
    std::vector<std::string> names;
    char stamp[32];
    for (int s = 0; s < count; ++s) {
        std::snprintf(stamp, sizeof stamp, "%s-0000%02d", day.c_str(), s);
        names.push_back(AsideName(dc, stamp));
    }
    return names;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct PruneCase {
    const char* name;
    std::vector<std::string> before;   // set-aside files already in the folder
    std::vector<std::string> deleted;  // of them, the ones the new set-aside removes
    std::string made;                  // the new file's name
};

class SetAsidePrune : public ::testing::TestWithParam<PruneCase> {
protected:
    void SetUp() override { folder_ = test::MakeTempFolder("vor-aside"); }
    void TearDown() override { fs::remove_all(folder_); }
    static void Touch(const fs::path& file) { std::ofstream(file, std::ios::binary) << "profile"; }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder_)) names.insert(e.path().filename().string());
        return names;
    }
    fs::path folder_;
};

TEST_P(SetAsidePrune, KeepsTheNewFileAndEachDcsNewestFiles) {
    const PruneCase& c = GetParam();
    for (const std::string& name : c.before) Touch(folder_ / name);
    Touch(folder_ / (std::string(OwnDc) + ".bin"));

    std::string error;
    const auto made = SetBackupAside(folder_ / (std::string(OwnDc) + ".bin"), SetAsideAt, error);
    ASSERT_TRUE(made.has_value()) << error;
    EXPECT_EQ(made->filename().string(), c.made);

    std::set<std::string> expected(c.before.begin(), c.before.end());
    for (const std::string& gone : c.deleted) expected.erase(gone);
    expected.insert(c.made);
    EXPECT_THAT(Names(), ::testing::ContainerEq(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Profile, SetAsidePrune,
    ::testing::Values(
        // The suffix is a number: -10 is newer than -2, and the unsuffixed file is the first.
        PruneCase{"ManyInOneSecondGoOldestSuffixFirst",
                  OneSecond(OwnDc, SetAsideStamp, 21),
                  {AsideName(OwnDc, SetAsideStamp), AsideName(OwnDc, SetAsideStamp, 2)},
                  AsideName(OwnDc, SetAsideStamp, 22)},
        // A clock that once ran ahead: the new file stays, the oldest of the others goes.
        PruneCase{"FutureStampsNeverPushOutTheNewFile",
                  OnePerSecond(OwnDc, "20990101", 20),
                  {AsideName(OwnDc, "20990101-000000")},
                  AsideName(OwnDc, SetAsideStamp)},
        // A service bench: another DC's files are neither counted nor pruned, its last one least of all.
        PruneCase{"OtherDcsFilesAreNotCountedNorPruned",
                  Joined(Joined(OnePerSecond("6865.054321", "20200101", 20), OnePerSecond(OwnDc, "20250101", 19)),
                         {AsideName("6865.0123456", "20100101-000000"), AsideName("6866.012345", "20100101-000000")}),
                  {},
                  AsideName(OwnDc, SetAsideStamp)},
        PruneCase{"OnlyTheOwnDcsOldestGo",
                  Joined(OnePerSecond(OwnDc, "20250101", 22), {AsideName("6865.054321", "20000101-000000")}),
                  {AsideName(OwnDc, "20250101-000000"), AsideName(OwnDc, "20250101-000001"),
                   AsideName(OwnDc, "20250101-000002")},
                  AsideName(OwnDc, SetAsideStamp)},
        // Names this program did not make are not its to delete.
        PruneCase{"ForeignNamesStay",
                  Joined(OnePerSecond(OwnDc, "20250101", 19), {std::string(OwnDc) + ".set-aside-old.bin",
                                                               std::string(OwnDc) + ".set-aside-19990101-0000.bin"}),
                  {},
                  AsideName(OwnDc, SetAsideStamp)}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
