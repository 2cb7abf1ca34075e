// The terminal's profile commands as whole runs against the simulated DC, through the
// same pages as an update: what the DC is told and what the files hold afterwards.

#include <gtest/gtest.h>

#include "tests/e2e/Harness.h"
#include "tests/e2e/ProfileCheck.h"
#include "tests/e2e/ProfileTasks.h"
#include "session/Messages.h"
#include "session/TextMarkers.h"

namespace vor::e2e {
namespace {

using sim::UnitKind;
namespace fs = std::filesystem;

bool NoProfileWritten(Harness& h) {
    const std::string log = h.logText();
    return log.find(M(Msg::RestoreStep)) == std::string::npos && h.dc().exchanges(UnitKind::LineRequest) == 0;
}

TEST(ProfileTask, InfoTellsTheDcAndWhatTheImageWouldDoAndWritesNothing) {
    for (const bool current : {false, true}) {
        SCOPED_TRACE(current ? "current DC" : "DC with 1E");
        sim::DcConfig dc;
        ImageContent image = DemoImageContent();
        if (current) {
            dc.version = "1H";
            image.Kind = ImageKind::OnlySection1;
        }
        Harness h(dc, image);
        Begin(h, {ProfileTaskKind::Info, {}});
        const ProfileSnapshot before = TakeProfile(h.dc());
        Proceed(h);
        EXPECT_EQ(h.outcome().exit, 0) << h.outcome().message;
        const std::string log = h.logText();
        EXPECT_NE(log.find("012345"), std::string::npos) << log;
        EXPECT_NE(log.find(current ? "firmware 1H" : "firmware 1E"), std::string::npos) << log;
        EXPECT_NE(log.find(h.text(current ? Msg::ImageCurrent : Msg::ImageWouldUpdate).substr(0, 20)),
                  std::string::npos)
            << log;
        if (!current) {
            EXPECT_NE(log.find(WithMarkers(h.text(Msg::ImageSections), {"1, 2"})), std::string::npos) << log;
        }
        EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
        EXPECT_EQ(h.dc().exchanges(UnitKind::Announce1), 0);
        EXPECT_TRUE(NoProfileWritten(h));
    }
}

TEST(ProfileTask, BackupThenDivesThenRestoreGivesTheSavedProfileBackAndKeepsTheNewOneAside) {
    Harness h;
    Begin(h, {ProfileTaskKind::Backup, {}});
    const ProfileSnapshot saved = TakeProfile(h.dc());
    Proceed(h);
    ASSERT_EQ(h.outcome().exit, 0) << h.outcome().message;
    const std::vector<fs::path> copies = FilesLike(h, ".saved-");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(BackupFileProblem(copies[0], saved, h.serial()), "");
    EXPECT_EQ(h.outcome().task->file, copies[0]);
    EXPECT_FALSE(fs::exists(h.backupFile()));  // never the pending backup's name

    DiveWith(h);
    const ProfileSnapshot dived = TakeProfile(h.dc());
    Begin(h, {ProfileTaskKind::Restore, copies[0]});
    h.boxes().answers = {BoxAnswer::Yes};
    Proceed(h);
    const CliOutcome outcome = h.outcome();
    EXPECT_EQ(outcome.exit, 0) << outcome.message << "\n" << h.logText();
    EXPECT_TRUE(DcHoldsProfile(saved, h.dc()));
    EXPECT_TRUE(fs::exists(copies[0]));  // the restored file stays where it was
    EXPECT_FALSE(fs::exists(h.backupFile()));
    const std::vector<fs::path> aside = FilesLike(h, ".set-aside-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(BackupFileProblem(aside[0], dived, h.serial()), "");  // the restore can be undone
    EXPECT_EQ(outcome.task->dcCopy, aside[0]);
}

TEST(ProfileTask, RestoreOfAnotherDcsFileOrAnswerNoChangesNothingInTheDc) {
    Harness other({.serial = 54321});
    RunTask(other, {ProfileTaskKind::Backup, {}});
    const fs::path othersFile = FilesLike(other, ".saved-").at(0);

    Harness h;
    Begin(h, {ProfileTaskKind::Restore, othersFile});
    const ProfileSnapshot before = TakeProfile(h.dc());
    Proceed(h);
    EXPECT_EQ(h.outcome().exit, 3) << h.outcome().message;
    EXPECT_NE(h.logText().find("054321"), std::string::npos) << h.logText();
    EXPECT_TRUE(NoProfileWritten(h));
    EXPECT_TRUE(FilesLike(h, ".set-aside-").empty());

    RunTask(h, {ProfileTaskKind::Backup, {}});
    DiveWith(h);
    const ProfileSnapshot dived = TakeProfile(h.dc());
    Begin(h, {ProfileTaskKind::Restore, FilesLike(h, ".saved-").at(0)});
    h.boxes().answers = {BoxAnswer::No};
    Proceed(h);
    EXPECT_EQ(h.outcome().exit, 3) << h.outcome().message;
    EXPECT_TRUE(DcHoldsProfile(dived, h.dc()));
    EXPECT_TRUE(NoProfileWritten(h));
    ASSERT_FALSE(h.boxes().shown.empty());
    EXPECT_NE(h.boxes().shown.back().text.find(FilesLike(h, ".saved-").at(0).string()), std::string::npos);
}

// Killed at ten points of its write, the next restore of the same file brings the
// whole saved profile back.
TEST(ProfileTask, RestoreKilledAnywhereInItsWriteIsFinishedByTheNextRestore) {
    Harness probe;
    RunTask(probe, {ProfileTaskKind::Backup, {}});
    const int blocks = probe.dc().exchanges(UnitKind::MemoryRead) - 1;
    ASSERT_GT(blocks, 10);
    for (int point = 0; point < 10; ++point) {
        const int block = 1 + point * (blocks - 1) / 9;
        SCOPED_TRACE(block);
        Harness h;
        Begin(h, {ProfileTaskKind::Backup, {}});
        const ProfileSnapshot saved = TakeProfile(h.dc());
        Proceed(h);
        const fs::path file = FilesLike(h, ".saved-").at(0);
        DiveWith(h);
        Begin(h, {ProfileTaskKind::Restore, file});
        h.boxes().answers = {BoxAnswer::Yes};
        h.killWhen([&h, block](UnitKind k, int) { return k == UnitKind::BlockData1 && h.dc().exchanges(k) >= block; });
        Proceed(h);
        ASSERT_TRUE(h.killed());
        EXPECT_TRUE(fs::exists(h.backupFile()));  // the profile to write waits as the pending backup
        Begin(h, {ProfileTaskKind::Restore, file});
        h.boxes().answers = {BoxAnswer::Yes};
        Proceed(h);
        EXPECT_EQ(h.outcome().exit, 0) << h.outcome().message << "\n" << h.logText();
        EXPECT_TRUE(DcHoldsProfile(saved, h.dc()));
        EXPECT_FALSE(fs::exists(h.backupFile()));
    }
}

}  // namespace
}  // namespace vor::e2e
