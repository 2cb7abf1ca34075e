// Whole runs of the program against the simulated DC: the real window, clicked, on the
// fake clock. Each checks the task log, the flags, the DC's memory and firmware and
// the backup file, and holds the run to the profile promise of ProfileCheck.h.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "tests/e2e/Harness.h"
#include "tests/e2e/ProfileCheck.h"
#include "tests/e2e/ProfileTasks.h"
#include "flow/AppBackend.h"
#include "profile/DcLock.h"
#include "session/Messages.h"

#include <unistd.h>

namespace vor::e2e {
namespace {

using sim::UnitKind;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Bytes = std::vector<std::uint8_t>;

constexpr double FaultSeconds = 60.0;
const std::string BackupRow = "Backup dive computer profile";
const LogRow DcVersion1E{1, "VOR Watch DC, " + M(Msg::Version) + ": 1E", ""};

ImageContent ImageOfKind(ImageKind kind) {
    ImageContent c = DemoImageContent();
    c.Kind = kind;
    return c;
}

// The nth unit of `kind` the DC has taken.
Harness::UnitTrigger Nth(Harness& h, UnitKind kind, int n) {
    return [&h, kind, n](UnitKind k, int) { return k == kind && h.dc().exchanges(kind) >= n; };
}

// Next, the deep-sleep page, the buttons, Next: the update runs inside the last click.
void UpdateThroughDeepSleep(Harness& h) {
    h.clickNext();
    ASSERT_TRUE(h.deepSleepPageShown()) << h.logText();
    h.pressDcButtons();
    h.clickNext();
}

std::vector<std::string> ErrorRows(const std::vector<LogRow>& log) {
    std::vector<std::string> events;
    for (const LogRow& r : log)
        if (r.icon == 2) events.push_back(r.event);
    return events;
}

bool Sent(Harness& h, const Bytes& bytes) {
    const auto& writes = h.port().writes();
    return std::any_of(writes.begin(), writes.end(), [&](const auto& w) { return w.bytes == bytes; });
}

bool BackupFileExists(Harness& h) {
    std::error_code ec;
    return std::filesystem::exists(h.backupFile(), ec);
}

std::vector<std::filesystem::path> SetAsideFiles(Harness& h) { return FilesLike(h, ".set-aside-"); }

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// After a failed run: the fault has healed, Close, Yes, OK; the profile is back.
void RecoverAtClose(Harness& h, const ProfileSnapshot& before) {
    h.waitFor(FaultSeconds + 1.0);
    h.answerRecovery();
    h.clickClose();
    EXPECT_TRUE(h.ended());
    ExpectProfileKept(before, h);
    EXPECT_TRUE(DcHoldsProfile(before, h.dc())) << h.logText();
    EXPECT_FALSE(BackupFileExists(h));
}

// A new start on the same DC whose update writes the saved profile back.
void UpdateAgainAndWriteBack(Harness& h, const ProfileSnapshot& before) {
    ASSERT_TRUE(h.startAgain());
    h.clickNext();
    if (h.deepSleepPageShown()) {
        h.pressDcButtons();
        h.clickNext();
    }
    EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::UpdateSucceeded), ""})) << h.logText();
    ExpectProfileKept(before, h);
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
    EXPECT_FALSE(BackupFileExists(h));
}

// ---- clean runs ----

TEST(Scenario, DcOlderThan1FGoesThroughDeepSleepAndGetsBothSectionsWithItsProfileKept) {
    Harness h;
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    EXPECT_THAT(h.log(), ElementsAre(LogRow{0, M(Msg::LoadingImage), M(Msg::Done)},
                                     LogRow{0, M(Msg::CheckingImage), M(Msg::Done)},
                                     LogRow{1, "VOR Watch DC, " + M(Msg::Version) + ": 1H.03", ""}));

    h.clickNext();
    ASSERT_TRUE(h.deepSleepPageShown());
    EXPECT_EQ(h.port().writes().back().bytes, (Bytes{0xA8, 0x55, 0x00}));
    EXPECT_EQ(h.dc().mode(), sim::DcMode::Asleep);
    EXPECT_TRUE(h.buttonEnabled("BackCmd"));
    h.pressDcButtons();
    h.clickNext();

    EXPECT_THAT(h.updateLog(),
                ElementsAre(LogRow{0, M(Msg::CheckingDc), M(Msg::Done)}, DcVersion1E,
                            LogRow{0, BackupRow, M(Msg::Done)}, LogRow{0, M(Msg::UploadingSection1), M(Msg::Done)},
                            LogRow{0, M(Msg::WaitingForRestart), M(Msg::Done)},
                            LogRow{0, M(Msg::UploadingSection2), M(Msg::Done)},
                            LogRow{0, M(Msg::WaitingForRestart), M(Msg::Done)},
                            LogRow{0, M(Msg::CheckingNewCode), M(Msg::Done)}, LogRow{1, M(Msg::NewCodeVerified), ""},
                            LogRow{0, M(Msg::RestoreStep), M(Msg::Done)}, LogRow{0, M(Msg::CheckStep), M(Msg::Done)},
                            LogRow{1, M(Msg::UpdateSucceeded), ""}));
    EXPECT_FALSE(h.state().CommError);
    EXPECT_TRUE(h.state().ProfileIntact);
    EXPECT_TRUE(h.buttonEnabled("BackCmd"));
    EXPECT_FALSE(h.buttonEnabled("NextCmd"));
    ASSERT_EQ(h.dc().sections().size(), 2u);
    EXPECT_TRUE(h.dc().sections()[0].accepted);
    EXPECT_EQ(h.dc().sections()[0].blockCount, 300);
    EXPECT_TRUE(h.dc().sections()[1].accepted);
    EXPECT_EQ(h.dc().sections()[1].blockCount, 200);
    EXPECT_EQ(h.dc().sections()[1].argument, 0x1234);
    EXPECT_EQ(h.dc().version(), "1H");
    EXPECT_EQ(h.dc().revision(), 3);
    EXPECT_TRUE(h.dc().lastClockRecord().has_value());
    EXPECT_EQ(h.port().writes().back().bytes, (Bytes{0xA8, 0x99, 0x00}));
    EXPECT_EQ(h.priorityClasses().front(), 256);
    EXPECT_EQ(h.priorityClasses().back(), 32);
    EXPECT_FALSE(BackupFileExists(h));
    ExpectProfileKept(before, h);
    EXPECT_EQ(JudgeProfile(before, h).verdict, Verdict::Success);
    EXPECT_LT(h.pump().now(), 120.0);  // the whole run fits in one PC-screen countdown
}

TEST(Scenario, DcAt1FGoesStraightToTheUpdateWithoutDeepSleep) {
    Harness h({.version = "1F"});
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    h.clickNext();
    EXPECT_FALSE(h.deepSleepPageShown());
    EXPECT_EQ(h.state().Stage, 2);
    EXPECT_FALSE(Sent(h, {0xA8, 0x55, 0x00}));
    EXPECT_EQ(h.updateLog()[1], (LogRow{1, "VOR Watch DC, " + M(Msg::Version) + ": 1F", ""}));
    EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::UpdateSucceeded), ""}));
    EXPECT_EQ(h.dc().version(), "1H");
    EXPECT_TRUE(h.buttonEnabled("BackCmd"));  // the attempt has ended
    EXPECT_FALSE(BackupFileExists(h));
    ExpectProfileKept(before, h);
}

TEST(Scenario, CurrentDcIsLeftAloneAndSentToSleepWithoutAnyBackup) {
    Harness h({.version = "1H"}, ImageOfKind(ImageKind::OnlySection1));
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    h.clickNext();
    EXPECT_THAT(h.updateLog(),
                ElementsAre(LogRow{0, M(Msg::CheckingDc), M(Msg::Done)}, LogRow{1, M(Msg::AlreadyCurrent), ""}));
    EXPECT_FALSE(h.state().ProfileBackupNeeded);
    EXPECT_FALSE(h.state().CommError);
    EXPECT_TRUE(h.dc().sections().empty());
    EXPECT_EQ(h.dc().exchanges(UnitKind::MemoryRead), 1);  // block 0, to look for a saved profile
    EXPECT_EQ(h.port().writes().back().bytes, (Bytes{0xA8, 0x99, 0x00}));
    EXPECT_FALSE(BackupFileExists(h));
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
    ExpectProfileKept(before, h);
}

TEST(Scenario, DcBelowTheMinimumVersionIsRefusedByASection1Image) {
    Harness h({.version = "19"}, ImageOfKind(ImageKind::OnlySection1));
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_THAT(
        h.updateLog(),
        ElementsAre(
            LogRow{0, M(Msg::CheckingDc), M(Msg::Done)},
            LogRow{2, M(Msg::NotForThisDc) + "VOR Watch DC, " + M(Msg::Version) + " 1A " + M(Msg::UpdateFirst), ""}));
    EXPECT_FALSE(h.state().CommError);  // cleared by the acknowledged deep-sleep command
    EXPECT_TRUE(h.buttonEnabled("BackCmd"));
    EXPECT_EQ(h.dc().exchanges(UnitKind::MemoryRead), 0);
    EXPECT_TRUE(h.dc().sections().empty());
    EXPECT_EQ(h.port().writes().back().bytes, (Bytes{0xA8, 0x99, 0x00}));
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
    ExpectProfileKept(before, h);
}

TEST(Scenario, DcOfAnotherModelIsTurnedAwayAtTheFirstPage) {
    Harness h({.model = "ZX"});
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    h.clickNext();
    EXPECT_EQ(h.state().Stage, 1);
    ASSERT_EQ(h.boxes().shown.size(), 1u);
    EXPECT_EQ(h.boxes().shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(h.boxes().shown[0].caption, "Firmware Update");
    EXPECT_EQ(h.boxes().shown[0].text, "This update is only for the VOR Watch DC!");  // one blank
    EXPECT_EQ(h.dc().totalExchanges(), 1);                                            // only the identity was asked
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
}

TEST(Scenario, EmptyProfileIsNeitherSavedNorWrittenBack) {
    Harness h({.profile = sim::ProfileKind::Empty});
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_THAT(h.updateLog(),
                ElementsAre(LogRow{0, M(Msg::CheckingDc), M(Msg::Done)}, DcVersion1E,
                            LogRow{0, M(Msg::UploadingSection1), M(Msg::Done)},
                            LogRow{0, M(Msg::WaitingForRestart), M(Msg::Done)},
                            LogRow{0, M(Msg::UploadingSection2), M(Msg::Done)},
                            LogRow{0, M(Msg::WaitingForRestart), M(Msg::Done)},
                            LogRow{0, M(Msg::CheckingNewCode), M(Msg::Done)}, LogRow{1, M(Msg::NewCodeVerified), ""},
                            LogRow{1, M(Msg::UpdateSucceeded), ""}));
    EXPECT_FALSE(h.state().ProfileBackupNeeded);
    EXPECT_EQ(h.dc().exchanges(UnitKind::MemoryRead), 1);
    EXPECT_EQ(h.dc().exchanges(UnitKind::LineRequest), 0);
    EXPECT_FALSE(BackupFileExists(h));
    ExpectProfileKept(before, h);
}

TEST(Scenario, WrappedPointersSaveAndRestoreTheWholeProfileArea) {
    Harness h({.profile = sim::ProfileKind::Wrapped});
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::UpdateSucceeded), ""})) << h.logText();
    EXPECT_EQ(h.dc().exchanges(UnitKind::MemoryRead), 1 + 476 + 1 + 476);  // block 0, the area, the read-back
    EXPECT_EQ(h.dc().exchanges(UnitKind::Announce1), 300 + 476);
    ExpectProfileKept(before, h);
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
}

TEST(Scenario, SizeClass1024WithAFullProfileKeepsAll988Blocks) {
    ImageContent image = DemoImageContent();
    image.MemorySize = 1024;
    Harness h({.memorySize = 1024, .profile = sim::ProfileKind::Full}, image);
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::UpdateSucceeded), ""})) << h.logText();
    EXPECT_EQ(h.dc().exchanges(UnitKind::MemoryRead), 1 + 988 + 1 + 988);
    EXPECT_EQ(h.dc().exchanges(UnitKind::Announce1), 300 + 988);
    ExpectProfileKept(before, h);
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
}

// The task log of an update whose image holds one code section.
void ExpectOneUploadInTheLog(Harness& h) {
    EXPECT_THAT(
        h.updateLog(),
        ElementsAre(LogRow{0, M(Msg::CheckingDc), M(Msg::Done)}, DcVersion1E, LogRow{0, BackupRow, M(Msg::Done)},
                    LogRow{0, M(Msg::UploadingCode), M(Msg::Done)}, LogRow{0, M(Msg::WaitingForRestart), M(Msg::Done)},
                    LogRow{0, M(Msg::CheckingNewCode), M(Msg::Done)}, LogRow{1, M(Msg::NewCodeVerified), ""},
                    LogRow{0, M(Msg::RestoreStep), M(Msg::Done)}, LogRow{0, M(Msg::CheckStep), M(Msg::Done)},
                    LogRow{1, M(Msg::UpdateSucceeded), ""}));
}

TEST(Scenario, Section1ImageWaits12SecondsAndChecksTheVersion) {
    Harness h({}, ImageOfKind(ImageKind::OnlySection1));
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    ExpectOneUploadInTheLog(h);
    ASSERT_EQ(h.dc().sections().size(), 1u);
    EXPECT_EQ(h.dc().sections()[0].section, 1);
    EXPECT_EQ(h.dc().version(), "1H");
    EXPECT_EQ(h.dc().exchanges(UnitKind::Revision), 0);
    ExpectProfileKept(before, h);
}

TEST(Scenario, Section2ImageWaits45SecondsAndChecksTheRevision) {
    Harness h({}, ImageOfKind(ImageKind::OnlySection2));
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    ExpectOneUploadInTheLog(h);
    ASSERT_EQ(h.dc().sections().size(), 1u);
    EXPECT_EQ(h.dc().sections()[0].section, 2);
    EXPECT_EQ(h.dc().sections()[0].argument, 0x1234);
    EXPECT_EQ(h.dc().revision(), 3);
    EXPECT_EQ(h.dc().version(), "1E");
    ExpectProfileKept(before, h);
}

// The DC holds its code and its profile; that it did not confirm going to sleep is
// told, with what to do, and changes nothing else.
TEST(Scenario, FinalSleepCommandNotConfirmedIsToldAndTheRunStillSucceeds) {
    Harness h({.faults = {{.action = sim::FaultAction::Silent,
                           .kind = UnitKind::DeepSleep,
                           .nth = 2,
                           .lastsFor = 30.0,
                           .sameKindOnly = true}}});
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    const std::vector<LogRow> log = h.updateLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], (LogRow{1, M(Msg::SleepNotConfirmed), ""})) << h.logText();
    EXPECT_EQ(log.back(), (LogRow{1, M(Msg::UpdateSucceeded), ""}));
    EXPECT_EQ(h.outcome().exit, 0);
    EXPECT_NE(h.lastRecord().find(h.text(Msg::SleepNotConfirmed)), std::string::npos);
    ExpectProfileKept(before, h);
}

// ---- the restarted DC does not run the new code ----

struct NotTaken {
    const char* name;
    sim::DcConfig dc;
    ImageKind kind;
    const char* reports;  // what the error row says the DC reports ...
    const char* needs;    // ... and what the image is
};

class NewCodeNotTaken : public ::testing::TestWithParam<NotTaken> {};

TEST_P(NewCodeNotTaken, RunSaysWhatTheDcReportsAndEndsNotCompletedWithTheProfileBack) {
    const NotTaken& row = GetParam();
    Harness h(row.dc, ImageOfKind(row.kind));
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    const std::vector<std::string> errors = ErrorRows(h.log());
    ASSERT_EQ(errors.size(), 2u) << h.logText();
    EXPECT_NE(errors[0].find(std::string("reports ") + row.reports), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(std::string("firmware is ") + row.needs), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1], M(Msg::UpdateFailed));
    const CliOutcome outcome = h.outcome();
    EXPECT_EQ(outcome.exit, 1) << outcome.message;
    // The step that failed.
    EXPECT_NE(outcome.message.find(h.text(Msg::CheckingNewCode)), std::string::npos) << outcome.message;
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
    ExpectProfileKept(before, h);
}

INSTANTIATE_TEST_SUITE_P(
    Scenario, NewCodeNotTaken,
    ::testing::Values(NotTaken{"RevisionStaysBehind", {.newRevision = 2}, ImageKind::BothSections, "1H.02", "1H.03"},
                      // Byte 0 echoes the command (0xBA) behind a stray byte; the revision comes
                      // in a USB packet of its own.
                      NotTaken{"RevisionStaysBehindAfterAStrayByteInSplitReplies",
                               {.newRevision = 2, .revisionStray = true, .chunkSize = 2},
                               ImageKind::BothSections,
                               "1H.02",
                               "1H.03"},
                      NotTaken{"VersionStaysBehind", {.newVersion = "1G"}, ImageKind::OnlySection1, "1G", "1H"}),
    [](const auto& row) { return std::string(row.param.name); });

// Byte 0 of the revision reply is the DC's: a revision equal to the acknowledgement
// byte, behind byte 0 of any value, is the revision.
TEST(Scenario, RevisionOf90BehindAnyByteZeroIsTakenAsTheDcSays) {
    for (const std::uint8_t byte0 : {std::uint8_t{0xBA}, std::uint8_t{0x5A}, std::uint8_t{0x00}}) {
        SCOPED_TRACE(int{byte0});
        Harness h({.newRevision = 0x5A, .revisionByte0 = byte0});
        ASSERT_TRUE(h.start());
        const ProfileSnapshot before = TakeProfile(h.dc());
        UpdateThroughDeepSleep(h);
        EXPECT_EQ(h.outcome().exit, 0) << h.outcome().message;
        EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::UpdateSucceeded), ""})) << h.logText();
        ExpectProfileKept(before, h);
    }
}

// ---- a saved profile from an earlier run ----

class KilledDuringWriteBack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h.start());
        before = TakeProfile(h.dc());
        h.killWhen(Nth(h, UnitKind::Announce1, 300 + 5));  // the fifth profile block
        UpdateThroughDeepSleep(h);
        ASSERT_TRUE(h.ended());
        EXPECT_FALSE(DcHoldsProfile(before, h.dc()));
        EXPECT_EQ(BackupFileProblem(h.backupFile(), before, h.serial()), "");
        ExpectProfileKept(before, h, true);
    }
    Harness h;
    ProfileSnapshot before;
};

TEST_F(KilledDuringWriteBack, NextStartUpdatesAgainAndWritesTheSavedProfileBack) {
    const int readsBefore = h.dc().exchanges(UnitKind::MemoryRead);
    UpdateAgainAndWriteBack(h, before);
    // The saved profile was taken from the file: only block 0 was read before the upload.
    EXPECT_EQ(h.updateLog()[1], (LogRow{1, "VOR Watch DC, " + M(Msg::Version) + ": 1H", M(Msg::Done)}));
    EXPECT_EQ(h.updateLog()[2], (LogRow{0, M(Msg::UploadingSection1), M(Msg::Done)}));
    // Block 0, then the read-back of block 0 and of the profile's blocks (the first
    // run read block 0 and the profile's blocks).
    EXPECT_EQ(h.dc().exchanges(UnitKind::MemoryRead) - readsBefore, 2 + (readsBefore - 1));
}

// Whatever lies in the backup folder may be another DC's: a run that never read a DC
// names none of it and says why it changed nothing.
TEST_F(KilledDuringWriteBack, NextStartThatNeverReachesTheDcNamesNoBackupAndSaysWhy) {
    ASSERT_TRUE(h.startAgain());
    h.dc().addFault({.action = sim::FaultAction::Silent,
                     .kind = UnitKind::Identity,
                     .nth = h.dc().exchanges(UnitKind::Identity) + 1,
                     .lastsFor = 3600.0,
                     .sameKindOnly = true});
    h.clickNext();  // no answer: the first page stays
    EXPECT_EQ(h.state().Stage, 1);
    h.clickClose();
    const CliOutcome outcome = h.outcome();
    EXPECT_EQ(outcome.exit, 3) << outcome.message;
    EXPECT_TRUE(outcome.run.pendingFile.empty());
    EXPECT_NE(outcome.message.find("did not answer on"), std::string::npos) << outcome.message;
    EXPECT_TRUE(BackupFileExists(h));
    ExpectProfileKept(before, h);
}

TEST_F(KilledDuringWriteBack, CurrentDcWithTheSavedProfileGetsItBackWithoutAnUpload) {
    const std::size_t sectionsBefore = h.dc().sections().size();
    ASSERT_TRUE(h.startAgain(ImageOfKind(ImageKind::OnlySection1)));
    h.clickNext();  // the DC reports 1H now: no deep sleep
    EXPECT_THAT(h.updateLog(),
                ElementsAre(LogRow{0, M(Msg::CheckingDc), M(Msg::Done)}, LogRow{1, M(Msg::AlreadyCurrent), ""},
                            LogRow{0, M(Msg::RestoreStep), M(Msg::Done)}, LogRow{0, M(Msg::CheckStep), M(Msg::Done)},
                            LogRow{1, M(Msg::UpdateSucceeded), ""}));
    EXPECT_EQ(h.dc().sections().size(), sectionsBefore);
    EXPECT_TRUE(h.state().ProfileIntact);
    EXPECT_TRUE(h.buttonEnabled("BackCmd"));
    EXPECT_EQ(h.priorityClasses().back(), 32);
    EXPECT_FALSE(BackupFileExists(h));
    ExpectProfileKept(before, h);
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
}

// ---- a saved profile is proven before it is trusted ----

struct Damage {
    const char* name;
    std::function<void(const std::filesystem::path&)> spoil;
    const char* what;  // in the damage text
};

// Changes `count` data bytes of the profile table, spread over its first rows.
std::function<void(const std::filesystem::path&)> ChangeBytes(int count) {
    return [count](const std::filesystem::path& file) {
        std::vector<std::uint8_t> bytes = FileBytes(file);
        for (int i = 0; i < count; ++i) {
            const std::size_t row = static_cast<std::size_t>(i % 8), column = 1 + static_cast<std::size_t>(i / 8);
            bytes[34 + 2 * (column * 1024 + row)] ^= 0x01;
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
}

class DamagedPendingBackup : public KilledDuringWriteBack, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedPendingBackup, IsNeverWrittenIntoTheDcNorDeletedAndTheRunSaysSo) {
    GetParam().spoil(h.backupFile());
    std::error_code ec;
    const bool isFile = std::filesystem::is_regular_file(h.backupFile(), ec);
    const std::vector<std::uint8_t> spoiled = isFile ? FileBytes(h.backupFile()) : std::vector<std::uint8_t>{};
    ASSERT_TRUE(h.startAgain());
    h.clickNext();  // the DC runs 1H from the killed run: it is current
    const std::string log = h.logText();
    EXPECT_EQ(log.find(M(Msg::RestoreStep)), std::string::npos) << log;  // no write-back
    EXPECT_FALSE(BackupFileExists(h));
    const std::vector<std::filesystem::path> aside = SetAsideFiles(h);
    ASSERT_EQ(aside.size(), 1u) << log;
    if (isFile) {
        EXPECT_EQ(FileBytes(aside[0]), spoiled);
    }
    const CliOutcome outcome = h.outcome();
    EXPECT_EQ(outcome.exit, 1) << outcome.message;
    EXPECT_EQ(outcome.run.profile, ProfileEnd::Damaged);
    EXPECT_EQ(outcome.run.damagedFile, aside[0]);
    EXPECT_NE(outcome.message.find(aside[0].string()), std::string::npos) << outcome.message;
    EXPECT_NE(outcome.message.find(GetParam().what), std::string::npos) << outcome.message;
    EXPECT_NE(log.find(aside[0].filename().string()), std::string::npos) << log;
    EXPECT_NE(h.lastRecord().find(aside[0].string()), std::string::npos);
    EXPECT_NE(OutcomeEvent(outcome).find("\"damaged\":"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Scenario, DamagedPendingBackup,
    ::testing::Values(Damage{"OneChangedByte", ChangeBytes(1), "does not match"},
                      Damage{"ThreeChangedBytes", ChangeBytes(3), "do not match"},
                      Damage{"HundredChangedBytes", ChangeBytes(100), "blocks 1, 2, 3"},
                      Damage{"Truncated", [](const auto& f) { std::filesystem::resize_file(f, 200000); },
                             "200000 bytes"},
                      Damage{"ZeroLength", [](const auto& f) { std::filesystem::resize_file(f, 0); }, "0 bytes"},
                      Damage{"Unreadable",
                             [](const auto& f) {
                                 std::filesystem::remove(f);
                                 std::filesystem::create_directory(f);  // unreadable even for root
                             },
                             "cannot be read"}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- a saved profile is found in either backup folder ----

// The program moved (into a system folder, or a copy run from a writable one): new
// backups go elsewhere, the pending one lies where the other program kept it. When
// both folders hold one, the first is written back and the other set aside whole.
class PendingInTheOtherFolder : public KilledDuringWriteBack, public ::testing::WithParamInterface<bool> {};

TEST_P(PendingInTheOtherFolder, IsFoundWrittenBackAndRemoved) {
    const bool inBoth = GetParam();
    QTemporaryDir other;
    const std::filesystem::path otherFile =
        std::filesystem::path(other.path().toStdString()) / h.backupFile().filename();
    if (inBoth)
        std::filesystem::copy_file(h.backupFile(), otherFile);
    else
        std::filesystem::rename(h.backupFile(), otherFile);
    h.alsoLookIn({other.path().toStdString()});
    ASSERT_TRUE(h.startAgain());
    h.clickNext();
    EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::UpdateSucceeded), ""})) << h.logText();
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
    EXPECT_FALSE(std::filesystem::exists(otherFile));
    EXPECT_FALSE(BackupFileExists(h));
    EXPECT_EQ(h.outcome().exit, 0);
    std::vector<std::filesystem::path> asideInOther;
    for (const auto& e : std::filesystem::directory_iterator(other.path().toStdString()))
        if (e.path().extension() == ".bin") asideInOther.push_back(e.path());
    ASSERT_EQ(asideInOther.size(), inBoth ? 1u : 0u);
    if (inBoth) {
        EXPECT_EQ(BackupFileProblem(asideInOther[0], before, h.serial()), "");
        EXPECT_NE(h.logText().find(asideInOther[0].filename().string()), std::string::npos) << h.logText();
    }
}

INSTANTIATE_TEST_SUITE_P(Scenario, PendingInTheOtherFolder, ::testing::Bool(),
                         [](const auto& row) { return std::string(row.param ? "AndInTheFirst" : "Only"); });

// ---- faults that heal: each phase, silent or refusing for a minute ----

struct Phase {
    const char* name;
    UnitKind kind;
    int nth;
    std::vector<std::string> errors;  // icon-2 rows of the run
};

struct PhaseFault {
    Phase phase;
    sim::FaultAction action;
};

std::string PhaseFaultName(const ::testing::TestParamInfo<PhaseFault>& info) {
    return std::string(info.param.action == sim::FaultAction::Silent ? "Silence" : "Rejections") + "In" +
           info.param.phase.name;
}

class FaultInPhase : public ::testing::TestWithParam<PhaseFault> {};

TEST_P(FaultInPhase, RunReportsTheFailureAndTheRecoveryAtCloseRestoresTheProfile) {
    const PhaseFault& p = GetParam();
    Harness h({.faults = {{.action = p.action, .kind = p.phase.kind, .nth = p.phase.nth, .lastsFor = FaultSeconds}}});
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_EQ(ErrorRows(h.log()), p.phase.errors) << h.logText();
    ExpectProfileKept(before, h);
    if (!ReportsSuccess(h.log())) RecoverAtClose(h, before);
}

const Phase IdentityPhase{"Identity", UnitKind::Identity, 2, {M(Msg::NoAnswer)}};
const Phase BackupPhase{"Backup", UnitKind::MemoryRead, 3, {M(Msg::BackupFailed), M(Msg::UpdateFailed)}};
const Phase UploadPhase{"Upload", UnitKind::BlockData1, 100, {M(Msg::DataRefused), M(Msg::UpdateFailed)}};
const Phase RestartPhase{"Restart", UnitKind::Identity, 3, {M(Msg::NoAnswer), M(Msg::UpdateFailed)}};
const Phase WriteBackPhase{"WriteBack", UnitKind::Announce1, 305, {M(Msg::DataRefused), M(Msg::UpdateFailed)}};
// The new code and the profile are in and verified: an unset clock does not undo that.
const Phase ClockPhase{"Clock", UnitKind::ClockOpen, 1, {}};

INSTANTIATE_TEST_SUITE_P(
    Scenario, FaultInPhase,
    ::testing::Values(
        PhaseFault{IdentityPhase, sim::FaultAction::Silent}, PhaseFault{IdentityPhase, sim::FaultAction::Reject},
        PhaseFault{BackupPhase, sim::FaultAction::Silent}, PhaseFault{BackupPhase, sim::FaultAction::Reject},
        PhaseFault{UploadPhase, sim::FaultAction::Silent}, PhaseFault{UploadPhase, sim::FaultAction::Reject},
        PhaseFault{RestartPhase, sim::FaultAction::Silent}, PhaseFault{RestartPhase, sim::FaultAction::Reject},
        PhaseFault{WriteBackPhase, sim::FaultAction::Silent}, PhaseFault{WriteBackPhase, sim::FaultAction::Reject},
        PhaseFault{ClockPhase, sim::FaultAction::Silent}, PhaseFault{ClockPhase, sim::FaultAction::Reject}),
    PhaseFaultName);

// ---- the cable pulled: the next start, with the cable back, writes the profile back ----

struct Pull {
    const char* name;
    UnitKind kind;
    int nth;
    std::vector<std::string> errors;
    bool dcTouched;
};

class CablePulled : public ::testing::TestWithParam<Pull> {};

TEST_P(CablePulled, RunSaysSoAndTheNextStartRestoresTheProfile) {
    const Pull& p = GetParam();
    Harness h({.faults = {{.action = sim::FaultAction::PullCable, .kind = p.kind, .nth = p.nth}}});
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_EQ(ErrorRows(h.log()), p.errors) << h.logText();
    EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::ProfileOnClose), ""}));
    EXPECT_EQ(DcHoldsProfile(before, h.dc()), !p.dcTouched);
    EXPECT_EQ(h.state().ProfileIntact, !p.dcTouched);  // Close offers the recovery for a DC that needs it
    ExpectProfileKept(before, h);
    UpdateAgainAndWriteBack(h, before);
}

INSTANTIATE_TEST_SUITE_P(
    Scenario, CablePulled,
    ::testing::Values(
        Pull{"DuringBackup", UnitKind::MemoryRead, 3, {M(Msg::BackupFailed), M(Msg::UpdateFailed)}, false},
        Pull{"DuringUpload", UnitKind::BlockData2, 50, {M(Msg::DataRefused), M(Msg::UpdateFailed)}, true},
        Pull{"DuringWriteBack", UnitKind::Announce1, 305, {M(Msg::DataRefused), M(Msg::UpdateFailed)}, true}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Close while the update runs ----

struct CloseMoment {
    const char* name;
    std::function<Harness::UnitTrigger(Harness&)> when;
    double delay;
    bool backupTaken;  // Close comes after the backup and before a verified write-back
    int exit;          // what the run then comes to, as the terminal's exit status says it
};

std::function<Harness::UnitTrigger(Harness&)> At(UnitKind kind, int n) {
    return [kind, n](Harness& h) { return Nth(h, kind, n); };
}

// The third block of the read-back that checks the written profile.
Harness::UnitTrigger InTheReadBack(Harness& h) {
    return [&h, headerWritten = -1](UnitKind kind, int) mutable {
        if (kind == UnitKind::LineRequest && headerWritten < 0) headerWritten = h.dc().exchanges(UnitKind::MemoryRead);
        return headerWritten >= 0 && kind == UnitKind::MemoryRead &&
               h.dc().exchanges(UnitKind::MemoryRead) >= headerWritten + 1 + 3;
    };
}

class ClosedDuring : public ::testing::TestWithParam<CloseMoment> {};

TEST_P(ClosedDuring, PendingProfileIsWrittenBackBeforeTheProgramEnds) {
    const CloseMoment& m = GetParam();
    Harness h;
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    h.answerRecovery();
    h.closeWhen(m.when(h), m.delay);
    UpdateThroughDeepSleep(h);
    EXPECT_TRUE(h.ended());
    EXPECT_FALSE(h.overran());
    // The recovery is offered exactly when a saved profile waits for its write-back.
    EXPECT_EQ(!h.boxes().shown.empty(), m.backupTaken);
    if (m.backupTaken) {
        EXPECT_EQ(h.boxes().shown[0].text.substr(0, 40), h.text(Msg::RecoveryQuestion).substr(0, 40));
    }
    EXPECT_FALSE(BackupFileExists(h));
    EXPECT_TRUE(DcHoldsProfile(before, h.dc())) << h.logText();
    EXPECT_EQ(h.outcome().exit, m.exit) << h.outcome().message;
    ExpectProfileKept(before, h, true);
}

INSTANTIATE_TEST_SUITE_P(Scenario, ClosedDuring,
                         ::testing::Values(CloseMoment{"Backup", At(UnitKind::MemoryRead, 3), 0.0, false, 3},
                                           CloseMoment{"Upload", At(UnitKind::BlockData1, 100), 0.0, true, 1},
                                           CloseMoment{"RestartWait", At(UnitKind::Close1, 1), 3.0, true, 1},
                                           // The new code was verified before the write-back began.
                                           CloseMoment{"WriteBack", At(UnitKind::Announce1, 305), 0.0, true, 0},
                                           CloseMoment{"ReadBack", InTheReadBack, 0.0, true, 0},
                                           CloseMoment{"Clock", At(UnitKind::ClockOpen, 1), 0.0, false, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Scenario, CloseDuringTheUploadLeavesNoStaleBackupToOverwriteLaterDives) {
    Harness h;
    ASSERT_TRUE(h.start());
    h.answerRecovery();
    h.closeWhen(Nth(h, UnitKind::BlockData1, 100));  // nothing accepted yet: the DC keeps its profile
    UpdateThroughDeepSleep(h);
    ASSERT_TRUE(h.ended());

    // The diver goes diving: the profile changes.
    sim::DcMemory& memory = h.dc().memory();
    sim::Line dive = memory.line(memory.startLine());
    for (auto& b : dive) b = static_cast<std::uint8_t>(b ^ 0x5A);
    memory.writeLine(memory.startLine(), dive);
    const ProfileSnapshot afterDive = TakeProfile(h.dc());

    UpdateAgainAndWriteBack(h, afterDive);
}

}  // namespace
}  // namespace vor::e2e

namespace vor::e2e {
namespace {

// ---- the recovery at Close when the run left the profile only in the backup file ----

// The write-back of the run fails (the DC silent for a minute); the fault heals.
ProfileSnapshot FailTheWriteBack(Harness& h) {
    EXPECT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_FALSE(ReportsSuccess(h.log())) << h.logText();
    h.waitFor(FaultSeconds + 1.0);
    return before;
}

const sim::FaultRule WriteBackSilence{
    .action = sim::FaultAction::Silent, .kind = UnitKind::Announce1, .nth = 305, .lastsFor = FaultSeconds};

struct RecoveryTrouble {
    const char* name;
    std::function<void(Harness&, int instructions)> onInstructions;  // 1 for the first box
};

class TroubleDuringRecovery : public ::testing::TestWithParam<RecoveryTrouble> {};

TEST_P(TroubleDuringRecovery, StillEndsWithTheProfileWrittenBackAndVerified) {
    Harness h({.faults = {WriteBackSilence}});
    const ProfileSnapshot before = FailTheWriteBack(h);
    h.answerRecovery(4);
    const auto wake = h.boxes().onShow;
    int instructions = 0;
    h.boxes().onShow = [&](const ShownBox& box) {
        if (box.buttons == BoxButtons::OkCancel) GetParam().onInstructions(h, ++instructions);
        wake(box);
    };
    h.clickClose();
    EXPECT_TRUE(h.ended());
    EXPECT_GE(instructions, 2);
    ExpectProfileKept(before, h);
    EXPECT_TRUE(DcHoldsProfile(before, h.dc())) << h.logText();
    EXPECT_FALSE(BackupFileExists(h));
}

INSTANTIATE_TEST_SUITE_P(Scenario, TroubleDuringRecovery,
                         ::testing::Values(RecoveryTrouble{"CablePulledWhileTheInstructionsShowThenPluggedBack",
                                                           [](Harness& h, int n) {
                                                               if (n == 1) h.pullCable();
                                                               if (n == 2) h.plugCableBack();
                                                           }},
                                           RecoveryTrouble{"CablePulledDuringTheRecoveryWriteBackThenPluggedBack",
                                                           [](Harness& h, int n) {
                                                               const int blocks = h.dc().exchanges(UnitKind::Announce1);
                                                               if (n == 1)
                                                                   h.addTrigger(Nth(h, UnitKind::Announce1, blocks + 5),
                                                                                0.0, [&h] { h.pullCable(); });
                                                               if (n == 2) h.plugCableBack();
                                                           }},
                                           RecoveryTrouble{"IdentityRefusedForAWhile",
                                                           [](Harness& h, int n) {
                                                               if (n == 1)
                                                                   h.dc().addFault(
                                                                       {.action = sim::FaultAction::Reject,
                                                                        .kind = UnitKind::Identity,
                                                                        .nth = h.dc().exchanges(UnitKind::Identity) + 1,
                                                                        .lastsFor = 3.0});
                                                           }}),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- the recovery at Close cannot reach the DC ----

struct OutOfReach {
    const char* name;
    sim::DcConfig dc;
    std::vector<std::string> errors;  // icon-2 rows of the run
};

class OutOfReachAtClose : public ::testing::TestWithParam<OutOfReach> {};

// Yes, then OK on every instructions box; the DC stays out of reach, so the diver ends
// the program (Ctrl-C on a terminal) while the third instructions are shown. The tries
// are paced, and the end stops the recovery with the file kept.
TEST_P(OutOfReachAtClose, DiverEndsTheRecoveryAndTheProfileStaysInItsFile) {
    Harness h(GetParam().dc);
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_EQ(ErrorRows(h.log()), GetParam().errors) << h.logText();
    EXPECT_FALSE(h.state().ProfileIntact);
    EXPECT_EQ(BackupFileProblem(h.backupFile(), before, h.serial()), "");

    std::vector<double> instructionsAt;
    h.boxes().answers = {BoxAnswer::Yes};
    for (int i = 0; i < 10; ++i) h.boxes().answers.push_back(BoxAnswer::Ok);
    h.boxes().onShow = [&](const ShownBox& box) {
        if (box.buttons != BoxButtons::OkCancel) return;
        instructionsAt.push_back(h.pump().now());
        if (instructionsAt.size() == 3) h.kill();
    };
    h.clickClose();
    EXPECT_EQ(instructionsAt.size(), 3u);
    // The first OK tries the port at once; after a failed try the next one waits.
    for (std::size_t i = 2; i < instructionsAt.size(); ++i)
        EXPECT_GE(instructionsAt[i] - instructionsAt[i - 1], CommModule::ReopenInterval - 1e-9);
    EXPECT_TRUE(h.ended());
    EXPECT_FALSE(h.overran());
    EXPECT_EQ(BackupFileProblem(h.backupFile(), before, h.serial()), "");
    EXPECT_TRUE(SetAsideFiles(h).empty());
    ExpectProfileKept(before, h, true);
}

INSTANTIATE_TEST_SUITE_P(
    Scenario, OutOfReachAtClose,
    ::testing::Values(
        OutOfReach{"DcThatNeverRestarts", {.neverRestart = true}, {M(Msg::NoAnswer), M(Msg::UpdateFailed)}},
        OutOfReach{"CableLeftOutFromSection1",
                   {.faults = {{.action = sim::FaultAction::PullCable, .kind = UnitKind::BlockData1, .nth = 100}}},
                   {M(Msg::DataRefused), M(Msg::UpdateFailed)}}),
    [](const auto& row) { return std::string(row.param.name); });

// A database made for the original set of messages lacks the ones the program added:
// their English texts stand in, so the recovery's question can be read and answered.
TEST(Scenario, DatabaseWithoutTheAddedMessagesStillAsksAReadableRecoveryQuestion) {
    Harness h({.faults = {WriteBackSilence}});
    h.dropAddedMessages();
    const ProfileSnapshot before = FailTheWriteBack(h);
    h.answerRecovery();
    h.clickClose();
    const std::vector<ShownBox>& shown = h.boxes().shown;
    ASSERT_GE(shown.size(), 2u);
    EXPECT_NE(shown[0].text.find("Do you want to write it back now?"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[1].text.find("6. Click Cancel only if"), std::string::npos) << shown[1].text;
    for (const ShownBox& box : shown) EXPECT_EQ(box.text.find("\r\n\r\n\r\n"), std::string::npos) << box.text;
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
    EXPECT_NE(h.lastRecord().find("913, 914"), std::string::npos) << h.lastRecord();
}

TEST(Scenario, NoOrCancelAtTheRecoverySetsTheBackupAsideWhole) {
    for (const auto& answers : {std::vector<BoxAnswer>{BoxAnswer::No}, {BoxAnswer::Yes, BoxAnswer::Cancel}}) {
        Harness h({.faults = {WriteBackSilence}});
        const ProfileSnapshot before = FailTheWriteBack(h);
        h.boxes().answers.assign(answers.begin(), answers.end());
        h.clickClose();
        EXPECT_FALSE(BackupFileExists(h));
        const auto aside = SetAsideFiles(h);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(BackupFileProblem(aside[0], before, h.serial()), "");
        // The run says where the profile went, not that it waits in a file that is gone.
        const CliOutcome outcome = h.outcome();
        EXPECT_EQ(outcome.exit, 1);
        EXPECT_EQ(outcome.run.setAsideFile, aside[0]);
        EXPECT_NE(outcome.message.find(aside[0].string()), std::string::npos) << outcome.message;
        ExpectProfileKept(before, h);
        ASSERT_TRUE(h.startAgain());  // a later run does not take it for a backup
        h.clickNext();
        EXPECT_FALSE(BackupFileExists(h));
    }
}

// ---- the write-back is read back whole ----

struct BadWriteBack {
    const char* name;
    sim::DcConfig dc;
};

class WriteBackNotAsSent : public ::testing::TestWithParam<BadWriteBack> {};

TEST_P(WriteBackNotAsSent, FailsTheCheckAndKeepsTheBackup) {
    Harness h(GetParam().dc);
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    UpdateThroughDeepSleep(h);
    EXPECT_EQ(ErrorRows(h.log()), (std::vector<std::string>{M(Msg::VerifyFailed), M(Msg::UpdateFailed)}))
        << h.logText();
    EXPECT_FALSE(h.state().ProfileIntact);
    EXPECT_EQ(BackupFileProblem(h.backupFile(), before, h.serial()), "");
    ExpectProfileKept(before, h);
}

INSTANTIATE_TEST_SUITE_P(Scenario, WriteBackNotAsSent,
                         ::testing::Values(BadWriteBack{"BlockAcknowledgedButStoredOtherwise",
                                                        {.faults = {{.action = sim::FaultAction::StoreOtherByte,
                                                                     .kind = UnitKind::BlockData1,
                                                                     .nth = 305}}}},
                                           // Block 385 of a full profile is address 3072: refused, so the rest goes
                                           // line by line, to lines 256 below where they belong.
                                           BadWriteBack{"LineFallbackLandingElsewhere",
                                                        {.profile = sim::ProfileKind::Full,
                                                         .profileLineShift = -256,
                                                         .faults = {{.action = sim::FaultAction::Reject,
                                                                     .kind = UnitKind::Announce1,
                                                                     .nth = 300 + 385,
                                                                     .lastsFor = 3600.0,
                                                                     .sameKindOnly = true}}}}),
                         [](const auto& row) { return std::string(row.param.name); });

// Another run (a second cable, another copy of the program on this backup folder)
// holds the DC: this run stops once it knows the DC's serial number, sends no code,
// claims none of that run's files and says which process holds the DC. Once that run
// has ended, the DC can be updated.
TEST(Scenario, DcHeldByAnotherRunIsLeftAloneAndItsBackupIsNotClaimed) {
    Harness h;
    ASSERT_TRUE(h.start());
    const ProfileSnapshot before = TakeProfile(h.dc());
    const auto lockFile = h.backupFolder() / DcLockFileName(6865, SerialText(static_cast<std::int32_t>(h.serial())));
    DcLockRefusal refusal;
    auto otherRun = DcLock::Take(lockFile, refusal);
    ASSERT_TRUE(otherRun);
    std::ofstream(h.backupFile()) << "that run's backup, being written";
    const std::vector<std::uint8_t> theirs = FileBytes(h.backupFile());

    UpdateThroughDeepSleep(h);
    const CliOutcome outcome = h.outcome();
    EXPECT_EQ(outcome.exit, 3) << outcome.message << "\n" << h.logText();
    EXPECT_TRUE(h.dc().sections().empty());
    EXPECT_TRUE(DcHoldsProfile(before, h.dc()));
    const auto errors = ErrorRows(h.log());
    ASSERT_EQ(errors.size(), 2u) << h.logText();  // the held DC, then "not completed"
    EXPECT_NE(errors[0].find("process " + std::to_string(::getpid())), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(lockFile.string()), std::string::npos) << errors[0];
    EXPECT_EQ(outcome.message.find(h.backupFile().string()), std::string::npos) << outcome.message;
    h.clickClose();  // no recovery is offered for that run's file
    EXPECT_TRUE(h.boxes().shown.empty());
    EXPECT_EQ(FileBytes(h.backupFile()), theirs);

    otherRun.reset();
    std::filesystem::remove(h.backupFile());
    UpdateAgainAndWriteBack(h, before);
    EXPECT_FALSE(DcLock::Take(lockFile, refusal));  // this run holds the DC until it ends
    EXPECT_EQ(refusal.pid, ::getpid());
}

// A backup waits, and the DC has been dived with since: its profile differs from the
// file. What the DC holds is saved first, then the diver chooses; nobody choosing (the
// box closed, --yes, no terminal) changes nothing in the DC and names both files.
struct ProfileChoiceRow {
    const char* name;
    BoxAnswer answer;
    int exit;
    bool dcKeepsItsDives;  // otherwise the saved (older) profile is written back
};

class TwoProfiles : public ::testing::TestWithParam<ProfileChoiceRow> {};

TEST_P(TwoProfiles, NeitherIsLostAndTheOutcomeNamesWhereEachIs) {
    const ProfileChoiceRow& row = GetParam();
    Harness h;
    ASSERT_TRUE(h.start());
    const ProfileSnapshot saved = TakeProfile(h.dc());
    h.killWhen(Nth(h, UnitKind::BlockData1, 100));  // nothing accepted: the DC keeps its profile
    UpdateThroughDeepSleep(h);
    ASSERT_TRUE(BackupFileExists(h));
    const std::vector<std::uint8_t> oldBackup = FileBytes(h.backupFile());

    sim::DcMemory& memory = h.dc().memory();  // the diver dives: the header moves on
    sim::Line header = memory.line(4);
    header[10] = static_cast<std::uint8_t>(header[10] + 16);
    memory.writeLine(4, header);
    const ProfileSnapshot dived = TakeProfile(h.dc());
    const std::size_t sectionsBefore = h.dc().sections().size();

    ASSERT_TRUE(h.startAgain());
    h.boxes().answers = {row.answer};
    UpdateThroughDeepSleep(h);
    const CliOutcome outcome = h.outcome();
    EXPECT_EQ(outcome.exit, row.exit) << outcome.message << "\n" << h.logText();
    ASSERT_FALSE(h.boxes().shown.empty());
    EXPECT_EQ(h.boxes().shown[0].buttons, BoxButtons::ProfileChoice);
    // The question names both files; what the DC held was saved before it was asked.
    EXPECT_NE(h.boxes().shown[0].text.find(h.backupFile().string()), std::string::npos);
    EXPECT_NE(h.boxes().shown[0].text.find(".set-aside-"), std::string::npos);
    auto aside = SetAsideFiles(h);
    const auto holds = [&](const ProfileSnapshot& p) {
        return std::any_of(aside.begin(), aside.end(),
                           [&](const auto& f) { return BackupFileProblem(f, p, h.serial()).empty(); });
    };
    if (row.answer == BoxAnswer::Undecided) {
        EXPECT_EQ(h.dc().sections().size(), sectionsBefore);  // no code went out
        EXPECT_TRUE(DcHoldsProfile(dived, h.dc()));
        EXPECT_EQ(FileBytes(h.backupFile()), oldBackup);
        EXPECT_TRUE(holds(dived));
        EXPECT_NE(outcome.message.find(h.backupFile().string()), std::string::npos);
        EXPECT_NE(outcome.message.find(outcome.run.dcCopy.string()), std::string::npos);
        EXPECT_TRUE(outcome.run.choiceOpen);
        // The file the outcome calls pending is the one Close offers to write back;
        // No sets it aside whole.
        h.boxes().answers = {BoxAnswer::No};
        h.clickClose();
        ASSERT_EQ(h.boxes().shown.size(), 2u);
        EXPECT_EQ(h.boxes().shown[1].buttons, BoxButtons::YesNo);
        EXPECT_FALSE(BackupFileExists(h));
        aside = SetAsideFiles(h);
        EXPECT_TRUE(holds(saved));
        EXPECT_EQ(h.outcome().run.profile, ProfileEnd::SetAside);
        ExpectProfileKept(dived, h);
        return;
    }
    EXPECT_EQ(h.log().back(), (LogRow{1, M(Msg::UpdateSucceeded), ""})) << h.logText();
    EXPECT_FALSE(BackupFileExists(h));
    EXPECT_TRUE(DcHoldsProfile(row.dcKeepsItsDives ? dived : saved, h.dc()));
    EXPECT_TRUE(holds(row.dcKeepsItsDives ? saved : dived));  // the other one lies set aside, whole
    ExpectProfileKept(row.dcKeepsItsDives ? dived : saved, h);
}

INSTANTIATE_TEST_SUITE_P(Scenario, TwoProfiles,
                         ::testing::Values(ProfileChoiceRow{"NobodyChooses", BoxAnswer::Undecided, 4, true},
                                           ProfileChoiceRow{"SavedProfileWrittenBack", BoxAnswer::UseSaved, 0, false},
                                           ProfileChoiceRow{"DcKeepsItsDives", BoxAnswer::KeepDc, 0, true}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vor::e2e
