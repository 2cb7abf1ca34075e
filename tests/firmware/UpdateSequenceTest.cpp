// UpdateFirmware from the first identity read to the deep-sleep command that ends it,
// and the report of what it did to the firmware (the summary row is the caller's).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/firmware/UpdateTestRig.h"
#include "session/Messages.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;
using Row = RecordingWizard::Row;

constexpr const char* NewIdentity = "VOR FW1H 0012345";

bool Uploaded(const UpdateRig& rig) {
    return !Entries(rig.journal, "DC B5").empty() || !Entries(rig.journal, "DC B7").empty();
}

// ---- complete runs ----

TEST(UpdateFirmware, OnlySection1RunLogsEveryStepAndEndsWithSuccess) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.pump.setLocalTimeBase({2009, 3, 7, 14, 5, 0});
    rig.dc.identityAfterClose1 = NewIdentity;
    const FirmwareReport report = rig.updater.UpdateFirmware();

    EXPECT_THAT(
        rig.wizard.rows,
        ElementsAre(Row{0, T(Msg::CheckingDc), T(Msg::Done)}, Row{1, "VOR Watch DC, " + T(Msg::Version) + ": 1E", ""},
                    Row{0, T(Msg::UploadingCode), T(Msg::Done)}, Row{0, T(Msg::WaitingForRestart), T(Msg::Done)},
                    Row{0, T(Msg::CheckingNewCode), T(Msg::Done)}, Row{1, T(Msg::NewCodeVerified), ""}));
    EXPECT_EQ(report.end, FirmwareEnd::Updated);
    EXPECT_TRUE(report.summaryDue);
    EXPECT_EQ(rig.journal.front(), "priority 256");
    // Backup before the first block; write-back, clock and deep sleep after the check.
    const int backup = IndexOf(rig.journal, "BackupProfile");
    const int firstBlock = IndexOf(rig.journal, "DC B5 0000");
    const int verified = IndexOf(rig.journal, "row 1 " + T(Msg::NewCodeVerified));
    const int restore = IndexOf(rig.journal, "RestoreProfile");
    const int clock = IndexOf(rig.journal, "DC clock");
    const int sleep = IndexOf(rig.journal, "DC A8 99");
    EXPECT_TRUE(backup >= 0 && backup < firstBlock && firstBlock < verified && verified < restore && restore < clock &&
                clock < sleep);
    EXPECT_EQ(Entries(rig.journal, "DC clock").size(), 1u);  // the check leaves the clock to step 15
    EXPECT_TRUE(Entries(rig.journal, "DC BA").empty());      // ConfigRevision 0
    EXPECT_EQ(rig.wizard.resets, 1);
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_TRUE(rig.state.ProfileIntact);

    // The local date and time, and 233 in byte 6.
    const auto& writes = rig.port.writes();
    auto record = std::find_if(writes.begin(), writes.end(), [](const auto& w) { return w.bytes.size() == 10; });
    ASSERT_NE(record, writes.end());
    EXPECT_EQ(record->bytes[0], 0x09);
    EXPECT_EQ(record->bytes[1], 0x07);
    EXPECT_EQ(record->bytes[2], 0x03);
    EXPECT_EQ(record->bytes[4], 0x05);
    EXPECT_EQ(record->bytes[5], 0x82);
    EXPECT_EQ(record->bytes[6], 0xE9);
}

TEST(UpdateFirmware, RestartWaitsAreTwelveTenAndFortyFiveSeconds) {
    UpdateRig one(ImageKind::OnlySection1);
    one.dc.identityAfterClose1 = NewIdentity;
    one.updater.UpdateFirmware();
    const double closed = one.timeOfWrite(0xB6);
    const double asked = one.timeOfWrite(0x84, closed);
    EXPECT_GT(asked - closed, 12.0);
    EXPECT_LT(asked - closed, 12.1);

    UpdateRig both(ImageKind::BothSections);
    both.dc.identityAfterClose2 = NewIdentity;
    both.dc.revisionAfterClose2 = 3;
    both.updater.UpdateFirmware();
    const double closed1 = both.timeOfWrite(0xB6);
    const double between = both.timeOfWrite(0x84, closed1);
    EXPECT_GT(between - closed1, 10.0);
    EXPECT_LT(between - closed1, 10.1);
    const double closed2 = both.timeOfWrite(0xB9);
    const double after = both.timeOfWrite(0x84, closed2);
    EXPECT_GT(after - closed2, 45.0);
    EXPECT_LT(after - closed2, 45.1);
}

TEST(UpdateFirmware, BothSectionsRunUploadsBothAndVerifiesVersionAndRevision) {
    UpdateRig rig(ImageKind::BothSections);
    rig.dc.identityChunks = {5, 5, 8};  // the identity comes in pieces
    rig.dc.identityAfterClose2 = NewIdentity;
    rig.dc.revisionAfterClose2 = 3;
    EXPECT_EQ(rig.updater.UpdateFirmware().end, FirmwareEnd::Updated);

    EXPECT_THAT(rig.rowTexts(),
                ElementsAre(T(Msg::CheckingDc), "VOR Watch DC, " + T(Msg::Version) + ": 1E", T(Msg::UploadingSection1),
                            T(Msg::WaitingForRestart), T(Msg::UploadingSection2), T(Msg::WaitingForRestart),
                            T(Msg::CheckingNewCode), T(Msg::NewCodeVerified)));
    EXPECT_THAT(Entries(rig.journal, "DC B"), ElementsAre("DC B5 0000", "DC B5 0080", "DC B6 0102", "DC B7 4000",
                                                          "DC B7 4080", "DC B8 1234", "DC B9 0304", "DC BA"));
    EXPECT_EQ(rig.updater.DeviceRevision, 3);
    EXPECT_FALSE(rig.state.CommError);
}

TEST(UpdateFirmware, FailedVerificationCheckSaysWhatTheDcReportsAndFailsTheRun) {
    UpdateRig rig(ImageKind::OnlySection1);  // the DC keeps reporting 1E
    const FirmwareReport report = rig.updater.UpdateFirmware();
    // The profile is still written back, but the run is not reported as a success.
    EXPECT_NE(IndexOf(rig.journal, "RestoreProfile"), -1);
    EXPECT_THAT(
        rig.wizard.rows,
        ElementsAre(Row{0, T(Msg::CheckingDc), T(Msg::Done)}, Row{1, "VOR Watch DC, " + T(Msg::Version) + ": 1E", ""},
                    Row{0, T(Msg::UploadingCode), T(Msg::Done)}, Row{0, T(Msg::WaitingForRestart), T(Msg::Done)},
                    Row{0, T(Msg::CheckingNewCode), T(Msg::Done)}, Row{2, T(Msg::NewCodeNotIn), ""}));
    EXPECT_EQ(report.end, FirmwareEnd::Failed);
    EXPECT_EQ(report.failedStep, Msg::CheckingNewCode);
}

// ---- version decisions ----

TEST(UpdateFirmware, DcAtTheImageVersionIsCurrentAndSentToSleepWithoutUpload) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.dc.identity = NewIdentity;
    rig.updater.UpdateFirmware();

    EXPECT_THAT(rig.wizard.rows,
                ElementsAre(Row{0, T(Msg::CheckingDc), T(Msg::Done)}, Row{1, T(Msg::AlreadyCurrent), ""}));
    EXPECT_FALSE(Uploaded(rig));
    EXPECT_FALSE(rig.state.ProfileBackupNeeded);
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_LT(IndexOf(rig.journal, "GetBackupProfile"), IndexOf(rig.journal, "ResetStage"));
    EXPECT_LT(IndexOf(rig.journal, "ResetStage"), IndexOf(rig.journal, "DC A8 99"));
    EXPECT_TRUE(Entries(rig.journal, "DC clock").empty());
}

TEST(UpdateFirmware, CurrentDcWithSavedProfileGetsItBackAndLeavesRealTimePriority) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.dc.identity = NewIdentity;
    rig.profile.savedProfileFound = true;
    const FirmwareReport report = rig.updater.UpdateFirmware();

    EXPECT_FALSE(Uploaded(rig));
    EXPECT_THAT(rig.rowTexts(), ElementsAre(T(Msg::CheckingDc), T(Msg::AlreadyCurrent)));
    EXPECT_EQ(report.end, FirmwareEnd::Unchanged);
    EXPECT_TRUE(report.alreadyCurrent);
    EXPECT_TRUE(report.summaryDue);
    const int restore = IndexOf(rig.journal, "RestoreProfile");
    EXPECT_GE(restore, 0);
    EXPECT_LT(restore, IndexOf(rig.journal, "DC clock"));
    EXPECT_LT(IndexOf(rig.journal, "DC clock"), IndexOf(rig.journal, "DC A8 99"));
    EXPECT_EQ(rig.journal.back(), "ResetStage");
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UpdateFirmware, DcBelowTheMinimumVersionIsRefused) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.dc.identity = "VOR FW19 0012345";
    rig.updater.UpdateFirmware();

    EXPECT_THAT(
        rig.wizard.rows,
        ElementsAre(
            Row{0, T(Msg::CheckingDc), T(Msg::Done)},
            Row{2, T(Msg::NotForThisDc) + "VOR Watch DC, " + T(Msg::Version) + " 1A " + T(Msg::UpdateFirst), ""}));
    EXPECT_FALSE(Uploaded(rig));
    EXPECT_TRUE(Entries(rig.journal, "BackupProfile").empty());
    EXPECT_THAT(Entries(rig.journal, "DC A8"), ElementsAre("DC A8 99"));
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UpdateFirmware, ConfigRevisionReadsTheRevisionAndShowsItInTheVersionRow) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.image.ConfigRevision = 5;
    rig.dc.revision = 7;
    rig.updater.UpdateFirmware();

    EXPECT_LT(IndexOf(rig.journal, "DC BA"),
              IndexOf(rig.journal, "row 1 VOR Watch DC, " + T(Msg::Version) + ": 1E.07"));
    EXPECT_EQ(rig.updater.DeviceRevision, 7);

    UpdateRig wide(ImageKind::OnlySection1);
    wide.image.ConfigRevision = 99;
    wide.dc.revision = 150;
    wide.updater.UpdateFirmware();
    EXPECT_NE(IndexOf(wide.journal, "row 1 VOR Watch DC, " + T(Msg::Version) + ": 1E.150"), -1);
}

TEST(UpdateFirmware, BothSectionsAtEqualVersionAndZeroRevisionsIsCurrent) {
    UpdateRig rig(ImageKind::BothSections);
    rig.image.ImageRevision = 0;
    rig.dc.identity = NewIdentity;
    rig.updater.UpdateFirmware();
    EXPECT_THAT(rig.rowTexts(), ElementsAre(T(Msg::CheckingDc), T(Msg::AlreadyCurrent)));
    EXPECT_FALSE(Uploaded(rig));
}

TEST(UpdateFirmware, BothSectionsAtEqualVersionButOlderRevisionIsUpdated) {
    UpdateRig rig(ImageKind::BothSections);
    rig.image.ConfigRevision = 1;
    rig.dc.identity = NewIdentity;
    rig.dc.revision = 2;
    rig.updater.UpdateFirmware();
    EXPECT_TRUE(Uploaded(rig));
}

TEST(UpdateFirmware, OnlySection2AtEqualRevisionIsUpdated) {
    UpdateRig rig(ImageKind::OnlySection2);
    rig.image.ConfigRevision = 5;
    rig.dc.revision = 3;
    rig.updater.UpdateFirmware();
    EXPECT_THAT(Entries(rig.journal, "DC B7"), ElementsAre("DC B7 4000", "DC B7 4080"));
    EXPECT_THAT(rig.rowTexts(),
                ElementsAre(T(Msg::CheckingDc), "VOR Watch DC, " + T(Msg::Version) + ": 1E.03", T(Msg::UploadingCode),
                            T(Msg::WaitingForRestart), T(Msg::CheckingNewCode), T(Msg::NewCodeVerified)));
}

TEST(UpdateFirmware, OnlySection2OlderThanTheDcIsRefusedAndTheRevisionIsKept) {
    UpdateRig rig(ImageKind::OnlySection2);
    rig.image.ConfigRevision = 5;
    rig.dc.revision = 4;
    rig.dc.ackDeepSleep = false;
    rig.updater.UpdateFirmware();

    EXPECT_THAT(rig.wizard.rows,
                ElementsAre(Row{0, T(Msg::CheckingDc), T(Msg::Done)}, Row{1, T(Msg::AlreadyCurrent), ""}));
    EXPECT_FALSE(Uploaded(rig));
    EXPECT_FALSE(Entries(rig.journal, "DC A8 99").empty());
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 1);

    // Next run without ConfigRevision: no 0xBA, and the revision read before still refuses.
    rig.image.ConfigRevision = 0;
    rig.journal.clear();
    rig.state.CommError = false;
    rig.updater.UpdateFirmware();
    EXPECT_TRUE(Entries(rig.journal, "DC BA").empty());
    EXPECT_FALSE(Uploaded(rig));
    EXPECT_EQ(rig.updater.DeviceRevision, 4);
}

// ---- failures ----

TEST(UpdateFirmware, SilentDcAtTheStartEndsTheRunAfterTwelveIdentityReads) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.dc.identityAnswersLeft = 0;
    rig.updater.UpdateFirmware();

    EXPECT_EQ(rig.port.writes().size(), 12u);
    EXPECT_EQ(Entries(rig.journal, "DC 84").size(), 12u);
    EXPECT_GT(rig.pump.now(), 22.0);
    EXPECT_LT(rig.pump.now(), 22.1);
    EXPECT_THAT(rig.wizard.rows, ElementsAre(Row{0, T(Msg::CheckingDc), T(Msg::Failed)}, Row{2, T(Msg::NoAnswer), ""}));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UpdateFirmware, IdentityOfAnotherProductEndsTheRun) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.dc.identity = "ABC FW1E 0012345";
    rig.updater.UpdateFirmware();

    EXPECT_THAT(rig.wizard.rows, ElementsAre(Row{0, T(Msg::CheckingDc), T(Msg::Done)},
                                             Row{2, T(Msg::NotForThisDc) + "VOR Watch DC!", ""}));
    EXPECT_EQ(rig.port.writes().size(), 1u);
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UpdateFirmware, FailedBackupSkipsTheUploadAndLeavesTheProfileForClose) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.profile.backupFails = true;
    EXPECT_EQ(rig.updater.UpdateFirmware().end, FirmwareEnd::Unchanged);  // no code went out

    EXPECT_FALSE(Uploaded(rig));
    EXPECT_FALSE(rig.state.ProfileIntact);
    EXPECT_TRUE(Entries(rig.journal, "RestoreProfile").empty());
    EXPECT_EQ(Entries(rig.journal, "DC clock").size(), 1u);
    EXPECT_EQ(Entries(rig.journal, "DC A8 99").size(), 1u);
    EXPECT_THAT(rig.rowTexts(),
                ElementsAre(T(Msg::CheckingDc), "VOR Watch DC, " + T(Msg::Version) + ": 1E", "backup failed"));
}

TEST(UpdateFirmware, FailedUploadWithEmptyProfileIsAFailureWhateverTheDeepSleepCommandLeaves) {
    for (bool sleepAcknowledged : {true, false}) {
        UpdateRig rig(ImageKind::OnlySection1);
        rig.profile.profileEmpty = true;
        rig.dc.silentDataAt = {0x0000};
        rig.dc.ackDeepSleep = sleepAcknowledged;
        const FirmwareReport report = rig.updater.UpdateFirmware();

        SCOPED_TRACE(sleepAcknowledged ? "acknowledged" : "not acknowledged");
        EXPECT_TRUE(Entries(rig.journal, "DC B6").empty());
        EXPECT_TRUE(Entries(rig.journal, "row 0 " + T(Msg::WaitingForRestart)).empty());
        EXPECT_TRUE(rig.state.ProfileIntact);
        const std::vector<std::string> texts = rig.rowTexts();
        const std::vector<std::string> tail(texts.begin() + 2, texts.end());
        EXPECT_THAT(tail, ElementsAre(T(Msg::UploadingCode), T(Msg::DataRefused)));
        EXPECT_EQ(report.end, FirmwareEnd::Failed);
        EXPECT_EQ(report.failedStep, Msg::UploadingCode);
    }
}

TEST(UpdateFirmware, EmptyProfileRunSetsTheClockInTheCheckAndAgainAtTheEnd) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.profile.profileEmpty = true;
    rig.dc.identityAfterClose1 = NewIdentity;
    rig.updater.UpdateFirmware();
    EXPECT_EQ(Entries(rig.journal, "DC clock").size(), 2u);
    EXPECT_LT(IndexOf(rig.journal, "DC clock"), IndexOf(rig.journal, "ResetStage"));
    EXPECT_EQ(rig.wizard.rows.back(), (Row{1, T(Msg::NewCodeVerified), ""}));
    EXPECT_EQ(rig.updater.report().end, FirmwareEnd::Updated);
}

TEST(UpdateFirmware, RestartedDcOfAnotherProductStillGetsItsProfileWhenSleepIsAcknowledged) {
    UpdateRig rig(ImageKind::OnlySection1);
    rig.dc.identityAfterClose1 = "ABC FW1H 0012345";
    const FirmwareReport report = rig.updater.UpdateFirmware();

    EXPECT_THAT(rig.rowTexts(),
                ElementsAre(T(Msg::CheckingDc), "VOR Watch DC, " + T(Msg::Version) + ": 1E", T(Msg::UploadingCode),
                            T(Msg::WaitingForRestart), T(Msg::CheckingNewCode), T(Msg::WrongDcAfterRestart)));
    EXPECT_EQ(report.end, FirmwareEnd::Failed);
    EXPECT_EQ(report.failedStep, Msg::CheckingNewCode);
    EXPECT_EQ(rig.wizard.rows[5].icon, 2);
    const int firstSleep = IndexOf(rig.journal, "DC A8 99");
    const int reset = IndexOf(rig.journal, "ResetStage");
    const int restore = IndexOf(rig.journal, "RestoreProfile");
    EXPECT_TRUE(firstSleep >= 0 && firstSleep < reset && reset < restore);
    EXPECT_EQ(Entries(rig.journal, "DC A8 99").size(), 2u);
    EXPECT_TRUE(rig.state.ProfileIntact);
}

TEST(UpdateFirmware, SilentDcBetweenSectionsSkipsSection2AndLeavesTheProfileForClose) {
    UpdateRig rig(ImageKind::BothSections);
    rig.dc.identityAnswersLeft = 1;
    const FirmwareReport report = rig.updater.UpdateFirmware();

    EXPECT_TRUE(Entries(rig.journal, "DC B7").empty());
    EXPECT_THAT(
        rig.wizard.rows,
        ElementsAre(Row{0, T(Msg::CheckingDc), T(Msg::Done)}, Row{1, "VOR Watch DC, " + T(Msg::Version) + ": 1E", ""},
                    Row{0, T(Msg::UploadingSection1), T(Msg::Done)}, Row{0, T(Msg::WaitingForRestart), T(Msg::Failed)},
                    Row{2, T(Msg::NoAnswer), ""}));
    EXPECT_EQ(report.end, FirmwareEnd::Failed);
    EXPECT_EQ(report.failedStep, Msg::WaitingForRestart);
    EXPECT_FALSE(rig.state.ProfileIntact);
    EXPECT_TRUE(Entries(rig.journal, "RestoreProfile").empty());
    EXPECT_EQ(Entries(rig.journal, "DC clock").size(), 1u);
    EXPECT_EQ(Entries(rig.journal, "DC A8 99").size(), 1u);
    EXPECT_EQ(rig.wizard.resets, 1);
}

}  // namespace
}  // namespace vor::test
