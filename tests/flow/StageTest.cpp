// The stage machine: what Next and Back do at each stage, and what the front end shows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "flow/StepInstructions.h"
#include "tests/flow/FlowHarness.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;

class Stages : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.start()); }
    FlowHarness h;
};

TEST_F(Stages, NoAnswerToTheIdentityKeepsStageOneAndTheSecondNextAsksAgain) {
    h.backend.identityAnswers = {false};
    h.next();
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_EQ(h.frontEnd.page, 1);
    EXPECT_TRUE(h.frontEnd.shown.empty());
    EXPECT_FALSE(h.frontEnd.backEnabled);
    EXPECT_TRUE(h.frontEnd.nextEnabled);

    h.next();  // the DC answers this time
    EXPECT_THAT(h.callsAfterStartUp(), ElementsAre("ReadIdentity", "ReadIdentity", "ParseIdentity", "EnterDeepSleep"));
    EXPECT_EQ(h.state.Stage, 2);
}

TEST_F(Stages, WrongModelWarnsWithTheDeviceNameAndReturnsToStageOne) {
    h.backend.parseResult = false;
    h.next();
    ASSERT_EQ(h.frontEnd.shown.size(), 1u);
    EXPECT_EQ(h.frontEnd.shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(h.frontEnd.shown[0].caption, "Firmware Update");
    EXPECT_EQ(h.frontEnd.shown[0].text, "The connected DC is not a VOR Watch DC!");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_THAT(h.callsAfterStartUp(), ElementsAre("ReadIdentity", "ParseIdentity"));
}

TEST_F(Stages, CurrentFirmwareStartsTheUpdateFromTheFirstNext) {
    for (const char* version : {"1F", "1G", "20", "1f"}) {
        FlowHarness fresh;
        ASSERT_TRUE(fresh.start());
        fresh.backend.firmwareVersion = version;
        bool taskLogShownDuringUpdate = false;
        fresh.backend.onUpdate = [&] { taskLogShownDuringUpdate = fresh.frontEnd.taskLogShown; };
        fresh.next();
        EXPECT_EQ(fresh.state.Stage, 2) << version;
        EXPECT_THAT(fresh.callsAfterStartUp(), ElementsAre("ReadIdentity", "ParseIdentity", "UpdateFirmware"))
            << version;
        EXPECT_TRUE(taskLogShownDuringUpdate) << version;
        EXPECT_FALSE(fresh.frontEnd.nextEnabled) << version;
        EXPECT_FALSE(fresh.frontEnd.backEnabled) << version;  // until ResetStage
        EXPECT_TRUE(fresh.state.ProfileBackupNeeded);
        EXPECT_FALSE(fresh.state.DeepSleepMode);
    }
}

TEST_F(Stages, OlderFirmwareGoesThroughDeepSleepToTheSecondPage) {
    for (const char* version : {"1E", "0A"}) {
        FlowHarness fresh;
        ASSERT_TRUE(fresh.start());
        fresh.backend.firmwareVersion = version;
        fresh.next();
        EXPECT_TRUE(fresh.backend.deepSleepModeSeen) << version;
        EXPECT_EQ(fresh.state.Stage, 2);
        EXPECT_EQ(fresh.frontEnd.page, 2);
        EXPECT_TRUE(fresh.frontEnd.backEnabled);
        EXPECT_TRUE(fresh.frontEnd.nextEnabled);
    }
}

TEST_F(Stages, DeepSleepNotAcknowledgedReturnsToStageOneWithTheCriticalBox) {
    h.backend.deepSleepResult = false;
    h.next();
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_EQ(h.frontEnd.page, 1);
    ASSERT_EQ(h.frontEnd.shown.size(), 1u);
    EXPECT_EQ(h.frontEnd.shown[0].icon, BoxIcon::Critical);
    EXPECT_EQ(h.frontEnd.shown[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(h.frontEnd.shown[0].caption, "Firmware Update");
    EXPECT_EQ(h.frontEnd.shown[0].text, "Could not set DC into Deep Sleep mode. Please replease step 1 to 4 again.");
    EXPECT_FALSE(h.frontEnd.backEnabled);
}

TEST_F(Stages, NextOnTheDeepSleepPageRunsTheUpdateAtStageThree) {
    h.reachDeepSleepPage();
    bool backDuringUpdate = true;
    bool busyDuringUpdate = false;
    h.backend.onUpdate = [&] {
        backDuringUpdate = h.frontEnd.backEnabled;
        busyDuringUpdate = h.flow->busy();
        h.flow->InsertTaskList(IconRunning, "Uploading", "...");
    };
    h.next();
    EXPECT_EQ(h.state.Stage, 3);
    EXPECT_FALSE(backDuringUpdate);  // no second attempt can start inside this one
    EXPECT_TRUE(busyDuringUpdate);   // nor a loop of the system's (a menu, a file dialog)
    EXPECT_FALSE(h.flow->busy());
    EXPECT_TRUE(h.frontEnd.backEnabled);
    EXPECT_FALSE(h.frontEnd.nextEnabled);
    EXPECT_TRUE(h.frontEnd.taskLogShown);
    EXPECT_EQ(h.frontEnd.rows.size(), 1u);
    EXPECT_THAT(h.callsAfterStartUp(),
                ElementsAre("ReadIdentity", "ParseIdentity", "EnterDeepSleep", "UpdateFirmware"));
}

TEST_F(Stages, CommErrorKeepsTheUpdateFromRunningAndShowsTheEmptyLog) {
    h.reachDeepSleepPage();
    h.state.CommError = true;
    h.next();
    EXPECT_THAT(h.callsAfterStartUp(), ElementsAre("ReadIdentity", "ParseIdentity", "EnterDeepSleep"));
    EXPECT_TRUE(h.frontEnd.taskLogShown);
    EXPECT_TRUE(h.frontEnd.rows.empty());
    EXPECT_FALSE(h.frontEnd.nextEnabled);
}

TEST_F(Stages, CommErrorLeftFromAFailedIdentityReadStillLeavesAWayBack) {
    // A first Next without answer leaves CommError set; the second finds current firmware.
    h.backend.identityAnswers = {false};
    h.next();
    h.state.CommError = true;
    h.backend.firmwareVersion = "1H";
    h.next();
    EXPECT_EQ(h.backend.log.back(), "ParseIdentity");  // no update was started
    ASSERT_TRUE(h.frontEnd.backEnabled);
    h.back();
    EXPECT_FALSE(h.state.CommError);
    EXPECT_TRUE(h.frontEnd.nextEnabled);
}

TEST_F(Stages, BackClearsTheLogAndCommErrorAndShowsPageOne) {
    h.reachDeepSleepPage();
    bool backDuringTail = true;
    h.backend.onUpdate = [&] {
        h.flow->InsertTaskList(IconRunning, "Reading the profile", "...");
        h.flow->InsertTaskList(IconError, "Upload failed", "");
        h.state.CommError = true;
        h.flow->ResetStage();
        // The failed attempt still sets the clock and sends deep sleep: Back waits.
        backDuringTail = h.frontEnd.backEnabled;
        if (backDuringTail) h.back();
        h.flow->InsertTaskList(IconError, "The firmware update was not completed.", "");
    };
    h.next();
    EXPECT_FALSE(backDuringTail);
    ASSERT_EQ(h.frontEnd.rows.size(), 3u);
    h.back();
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_FALSE(h.state.CommError);
    EXPECT_TRUE(h.frontEnd.rows.empty());
    EXPECT_TRUE(h.flow->rows().empty());
    EXPECT_FALSE(h.frontEnd.taskLogShown);
    EXPECT_EQ(h.frontEnd.page, 1);
    EXPECT_TRUE(h.frontEnd.nextEnabled);
    EXPECT_FALSE(h.frontEnd.backEnabled);

    // A new attempt starts with an empty log.
    h.backend.firmwareVersion = "1H";
    std::size_t rowsAtStart = 99;
    h.backend.onUpdate = [&] { rowsAtStart = h.frontEnd.rows.size(); };
    h.next();
    EXPECT_EQ(rowsAtStart, 0u);
}

TEST_F(Stages, BackOnTheDeepSleepPageReturnsToTheFirstPage) {
    h.reachDeepSleepPage();
    h.back();
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_EQ(h.frontEnd.page, 1);
}

TEST_F(Stages, ResetStageSetsNormalPriorityAndEnablesBackButKeepsTheStage) {
    h.backend.firmwareVersion = "1G";
    h.backend.onUpdate = [&] {
        h.flow->SetProcessPriority(PriorityRealtime);
        h.flow->ResetStage();
    };
    h.next();
    EXPECT_THAT(h.priorityCalls, ElementsAre(PriorityRealtime, PriorityNormal));
    EXPECT_TRUE(h.frontEnd.backEnabled);
    EXPECT_EQ(h.state.Stage, 2);
}

TEST_F(Stages, AttemptEndingWithoutResetStageLeavesBackAsItWas) {
    h.reachDeepSleepPage();  // Back enabled at stage 2
    h.next();                // the update returns without ResetStage
    EXPECT_TRUE(h.frontEnd.backEnabled);
    EXPECT_TRUE(h.priorityCalls.empty());
}

TEST_F(Stages, UnexpectedUpdateErrorIsReportedAndLeavesAWayBack) {
    h.backend.firmwareVersion = "1H";
    h.backend.onUpdate = [] { throw std::runtime_error("reply buffer too small"); };
    h.next();
    ASSERT_EQ(h.frontEnd.shown.size(), 1u);
    EXPECT_EQ(h.frontEnd.shown[0].icon, BoxIcon::Critical);
    EXPECT_NE(h.frontEnd.shown[0].text.find("reply buffer too small"), std::string::npos);
    EXPECT_THAT(h.priorityCalls, ElementsAre(PriorityNormal));
    EXPECT_TRUE(h.frontEnd.backEnabled);
    EXPECT_FALSE(h.flow->ended());
}

// The summary row follows the report the update hands back, not the task log's texts.
TEST_F(Stages, SummaryRowFollowsTheReportTheUpdateHandsBack) {
    h.backend.firmwareVersion = "1H";
    h.backend.firmwareReport.attempted = true;
    h.backend.firmwareReport.end = FirmwareEnd::Failed;
    h.backend.firmwareReport.summaryDue = true;
    h.next();
    ASSERT_EQ(h.frontEnd.rows.size(), 2u);
    EXPECT_EQ(h.frontEnd.rows[0].iconInd, IconError);
    EXPECT_EQ(h.frontEnd.rows[1].iconInd, IconInfo);
}

TEST(StepInstructions, FirstPageHasTheExactStepTexts) {
    EXPECT_EQ(StepInstructions(1),
              "1. Plug the USB interface cable into an USB port on the PC.\r\n\r\n"
              "2. Dive Computer (DC) needs to be in the Watch Main Time Mode.\r\n\r\n"
              "3. Clip the interface cable on the DC data port.\r\n\r\n"
              "4. A PC will appear with a 120 second countdown (you have 2 minutes to initiate the "
              "connection PC-DC).\r\n"
              "   a) If the  PC screen does not appear, unclip the interface cable from the DC for 5 second "
              "then repeat\r\n"
              "   steps 2, 3, 4.\r\n\r\n"
              ">>> Click on Next button to continue... >>>");
    EXPECT_FALSE(StepShowsPicture(1));
}

TEST(StepInstructions, DeepSleepPageStartsBelowItsPicture) {
    EXPECT_EQ(StepInstructions(2),
              "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
              "5. DC is now in Deep Sleep mode. Do not unclip the interface cable from the DC.\r\n\r\n"
              "6. Activate the DC by depressing and holding both the Advance (A) and Select (S) buttons "
              "until the PC screen appears with a 120 second countdown (about 8 seconds).\r\n"
              "   a) If the PC screen does not appear, unclip the interface cable from the DC for 5 "
              "seconds, then clip it \r\n"
              "   back on.\r\n\r\n"
              ">>> Click on Next button to continue...>>>");
    EXPECT_TRUE(StepShowsPicture(2));
    EXPECT_EQ(StepInstructions(3), "");
}

}  // namespace
}  // namespace vor::test
