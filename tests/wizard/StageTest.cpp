// The stage machine through the real Next and Back buttons.

#include <QLabel>
#include <QTableWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/wizard/WizardHarness.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;

constexpr const char* DeepSleepPageEnd = "7. Activate";

class Stages : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.start()); }
    QString page() const { return h.control<QLabel>("Lbl1")->text(); }
    bool shown(const char* name) const { return h.control<QWidget>(name)->isVisible(); }
    int logRows() const { return h.control<QTableWidget>("TaskLst")->rowCount(); }
    std::vector<std::string> callsAfterStartUp() const { return {h.backend.log.begin() + 2, h.backend.log.end()}; }
    WizardHarness h;
};

TEST_F(Stages, NoAnswerToTheIdentityKeepsStageOneAndTheSecondNextAsksAgain) {
    const QString firstPage = page();
    h.backend.identityAnswers = {false};
    h.click("NextCmd");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_EQ(page(), firstPage);
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_FALSE(h.button("BackCmd")->isEnabled());
    EXPECT_TRUE(h.button("NextCmd")->isEnabled());

    h.click("NextCmd");  // the DC answers this time
    EXPECT_THAT(callsAfterStartUp(), ElementsAre("ReadIdentity", "ReadIdentity", "ParseIdentity", "EnterDeepSleep"));
    EXPECT_EQ(h.state.Stage, 2);
}

TEST_F(Stages, WrongModelWarnsWithTheDeviceNameAndReturnsToStageOne) {
    h.backend.parseResult = false;
    h.click("NextCmd");
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(h.boxes.shown[0].caption, "Firmware Update");
    EXPECT_EQ(h.boxes.shown[0].text, "The connected DC is not a VOR Watch DC!");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_THAT(callsAfterStartUp(), ElementsAre("ReadIdentity", "ParseIdentity"));
}

TEST_F(Stages, CurrentFirmwareStartsTheUpdateFromTheFirstNext) {
    for (const char* version : {"1F", "1G", "20", "1f"}) {
        WizardHarness fresh;
        ASSERT_TRUE(fresh.start());
        fresh.backend.firmwareVersion = version;
        bool frameHiddenDuringUpdate = false;
        fresh.backend.onUpdate = [&] {
            frameHiddenDuringUpdate =
                !fresh.control<QWidget>("XPFrame")->isVisible() && fresh.control<QWidget>("TaskLst")->isVisible();
        };
        fresh.click("NextCmd");
        EXPECT_EQ(fresh.state.Stage, 2) << version;
        EXPECT_THAT(std::vector<std::string>(fresh.backend.log.begin() + 2, fresh.backend.log.end()),
                    ElementsAre("ReadIdentity", "ParseIdentity", "UpdateFirmware"))
            << version;
        EXPECT_TRUE(frameHiddenDuringUpdate) << version;
        EXPECT_FALSE(fresh.button("NextCmd")->isEnabled()) << version;
        EXPECT_FALSE(fresh.button("BackCmd")->isEnabled()) << version;  // until ResetStage
        EXPECT_TRUE(fresh.state.ProfileBackupNeeded);
        EXPECT_FALSE(fresh.state.DeepSleepMode);
    }
}

TEST_F(Stages, OlderFirmwareGoesThroughDeepSleepToTheSecondPage) {
    for (const char* version : {"1E", "0A"}) {
        WizardHarness fresh;
        ASSERT_TRUE(fresh.start());
        fresh.backend.firmwareVersion = version;
        fresh.click("NextCmd");
        EXPECT_TRUE(fresh.backend.deepSleepModeSeen) << version;
        EXPECT_EQ(fresh.state.Stage, 2);
        EXPECT_TRUE(fresh.control<QWidget>("Image2")->isVisible());
        EXPECT_TRUE(fresh.button("BackCmd")->isEnabled());
        EXPECT_TRUE(fresh.button("NextCmd")->isEnabled());
        EXPECT_EQ(fresh.control<QLabel>("Lbl1")->text().toStdString(),
                  "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
                  "5. DC is now in Deep Sleep mode. Do not unclip the interface cable from the DC.\r\n\r\n"
                  "6. Activate the DC by depressing and holding both the Advance (A) and Select (S) buttons "
                  "until the PC screen appears with a 120 second countdown (about 8 seconds).\r\n"
                  "   a) If the PC screen does not appear, unclip the interface cable from the DC for 5 "
                  "seconds, then clip it \r\n"
                  "   back on.\r\n\r\n"
                  ">>> Click on Next button to continue...>>>");
    }
}

TEST_F(Stages, DeepSleepNotAcknowledgedReturnsToStageOneWithTheCriticalBox) {
    const QString firstPage = page();
    h.backend.deepSleepResult = false;
    h.click("NextCmd");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_EQ(page(), firstPage);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_EQ(h.boxes.shown[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(h.boxes.shown[0].caption, "Firmware Update");
    EXPECT_EQ(h.boxes.shown[0].text, "Could not set DC into Deep Sleep mode. Please replease step 1 to 4 again.");
    EXPECT_FALSE(h.button("BackCmd")->isEnabled());
}

TEST_F(Stages, NextOnTheDeepSleepPageRunsTheUpdateAtStageThree) {
    h.reachDeepSleepPage();
    bool backDuringUpdate = true;
    h.backend.onUpdate = [&] {
        backDuringUpdate = h.button("BackCmd")->isEnabled();
        h.flow->InsertTaskList(IconRunning, "Uploading", "...");
    };
    h.click("NextCmd");
    EXPECT_EQ(h.state.Stage, 3);
    EXPECT_FALSE(backDuringUpdate);  // no second attempt can start inside this one
    EXPECT_TRUE(h.button("BackCmd")->isEnabled());
    EXPECT_FALSE(h.button("NextCmd")->isEnabled());
    EXPECT_TRUE(shown("TaskLst"));
    EXPECT_FALSE(shown("XPFrame"));
    EXPECT_EQ(logRows(), 1);
    EXPECT_THAT(callsAfterStartUp(), ElementsAre("ReadIdentity", "ParseIdentity", "EnterDeepSleep", "UpdateFirmware"));
}

TEST_F(Stages, CommErrorKeepsTheUpdateFromRunningAndShowsTheEmptyLog) {
    h.reachDeepSleepPage();
    h.state.CommError = true;
    h.click("NextCmd");
    EXPECT_THAT(callsAfterStartUp(), ElementsAre("ReadIdentity", "ParseIdentity", "EnterDeepSleep"));
    EXPECT_TRUE(shown("TaskLst"));
    EXPECT_EQ(logRows(), 0);
    EXPECT_FALSE(h.button("NextCmd")->isEnabled());
}

TEST_F(Stages, CommErrorLeftFromAFailedIdentityReadStillLeavesAWayBack) {
    // A first Next without answer leaves CommError set; the second finds current firmware.
    h.backend.identityAnswers = {false};
    h.click("NextCmd");
    h.state.CommError = true;
    h.backend.firmwareVersion = "1H";
    h.click("NextCmd");
    EXPECT_EQ(h.backend.log.back(), "ParseIdentity");  // no update was started
    ASSERT_TRUE(h.button("BackCmd")->isEnabled());
    h.click("BackCmd");
    EXPECT_FALSE(h.state.CommError);
    EXPECT_TRUE(h.button("NextCmd")->isEnabled());
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
        backDuringTail = h.button("BackCmd")->isEnabled();
        if (backDuringTail) h.click("BackCmd");
        h.flow->InsertTaskList(IconError, "The firmware update was not completed.", "");
    };
    h.click("NextCmd");
    EXPECT_FALSE(backDuringTail);
    ASSERT_EQ(logRows(), 3);
    h.click("BackCmd");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_FALSE(h.state.CommError);
    EXPECT_EQ(logRows(), 0);
    EXPECT_FALSE(shown("TaskLst"));
    EXPECT_TRUE(shown("XPFrame"));
    EXPECT_FALSE(shown("Image2"));
    EXPECT_TRUE(page().startsWith("1. Plug"));
    EXPECT_TRUE(h.button("NextCmd")->isEnabled());
    EXPECT_FALSE(h.button("BackCmd")->isEnabled());

    // A new attempt starts with an empty log.
    h.backend.firmwareVersion = "1H";
    int rowsAtStart = -1;
    h.backend.onUpdate = [&] { rowsAtStart = logRows(); };
    h.click("NextCmd");
    EXPECT_EQ(rowsAtStart, 0);
}

TEST_F(Stages, BackOnTheDeepSleepPageReturnsToTheFirstPage) {
    h.reachDeepSleepPage();
    h.click("BackCmd");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_FALSE(shown("Image2"));
    EXPECT_TRUE(page().startsWith("1. Plug"));
}

TEST_F(Stages, ResetStageSetsNormalPriorityAndEnablesBackButKeepsTheStage) {
    h.backend.firmwareVersion = "1G";
    h.backend.onUpdate = [&] {
        h.flow->SetProcessPriority(PriorityRealtime);
        h.flow->ResetStage();
    };
    h.click("NextCmd");
    EXPECT_THAT(h.priorityCalls, ElementsAre(PriorityRealtime, PriorityNormal));
    EXPECT_TRUE(h.button("BackCmd")->isEnabled());
    EXPECT_EQ(h.state.Stage, 2);
}

TEST_F(Stages, AttemptEndingWithoutResetStageLeavesBackAsItWas) {
    h.reachDeepSleepPage();  // Back enabled at stage 2
    h.click("NextCmd");      // the update returns without ResetStage
    EXPECT_TRUE(h.button("BackCmd")->isEnabled());
    EXPECT_TRUE(h.priorityCalls.empty());
}

TEST_F(Stages, UnexpectedUpdateErrorIsReportedAndLeavesAWayBack) {
    h.backend.firmwareVersion = "1H";
    h.backend.onUpdate = [] { throw std::runtime_error("reply buffer too small"); };
    h.click("NextCmd");
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_NE(h.boxes.shown[0].text.find("reply buffer too small"), std::string::npos);
    EXPECT_THAT(h.priorityCalls, ElementsAre(PriorityNormal));
    EXPECT_TRUE(h.button("BackCmd")->isEnabled());
    EXPECT_TRUE(h.window->isVisible());
}

}  // namespace
}  // namespace vor::test
