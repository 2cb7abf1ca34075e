// Attempt records on disk: names by date, the limit, other files left alone.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "flow/TaskLogRecord.h"
#include "session/WizardServices.h"
#include "tests/support/TempFolder.h"

namespace vor::test {
namespace {

namespace fs = std::filesystem;

AttemptRecord At(int minute, int second) {
    AttemptRecord r;
    r.started = {2026, 1, 2, 3, minute, second};
    r.kind = "Firmware update";
    r.rows = {{0, IconError, "03:04:05", "No answer\r\nfrom the DC", "Error"}};
    return r;
}

// A folder of the test's own, removed with what it holds.
struct Folder {
    fs::path path = MakeTempFolder("vor-records");
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(AttemptRecord, UnknownFieldsSayUnknownAndRowsStayOnOneLine) {
    const std::string text = AttemptRecordText(At(4, 5));
    EXPECT_NE(text.find("DC identity: unknown\nDC serial number: unknown\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Outcome:"), std::string::npos);
    EXPECT_NE(text.find("03:04:05  ERROR  No answer  from the DC  [Error]\n"), std::string::npos) << text;
}

TEST(AttemptRecord, VersionIsReadFromTheIdentityAsTheIdentityCheckReadsIt) {
    EXPECT_EQ(VersionInIdentity("VOR WATCH 1H 512"), "1H");
    EXPECT_EQ(VersionInIdentity("VOR  FW1E  12345"), "1E");
    EXPECT_EQ(VersionInIdentity("VOR A B 1H 512"), "");
    EXPECT_EQ(VersionInIdentity("VORFW1E"), "");
}

TEST(AttemptRecord, TwoAttemptsInOneSecondGetTwoFiles) {
    const Folder dir;
    const fs::path& folder = dir.path;
    std::string error;
    ASSERT_TRUE(WriteAttemptRecord(folder, At(4, 5), error));
    ASSERT_TRUE(WriteAttemptRecord(folder, At(4, 5), error));
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"task-log-2026-01-02-030405-2.txt", "task-log-2026-01-02-030405.txt"}));
}

TEST(AttemptRecord, OldestRecordsGoBeyondTheLimitAndBackupsStay) {
    const Folder dir;
    const fs::path& folder = dir.path;
    std::ofstream(folder / "6865_0012345.bin") << "profile";
    std::ofstream(folder / "notes.txt") << "mine";
    std::string error;
    for (int s = 0; s < 5; ++s) ASSERT_TRUE(WriteAttemptRecord(folder, At(10, s), error, 3));
    ASSERT_TRUE(WriteAttemptRecord(folder, At(10, 4), error, 3));  // the same second as the newest
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"6865_0012345.bin", "notes.txt", "task-log-2026-01-02-031003.txt",
                                        "task-log-2026-01-02-031004-2.txt", "task-log-2026-01-02-031004.txt"}));
}

TEST(AttemptRecord, FolderThatCannotBeWrittenGivesTheReason) {
    const Folder dir;
    std::string error;
    EXPECT_FALSE(WriteAttemptRecord(dir.path / "missing", At(1, 1), error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vor::test
