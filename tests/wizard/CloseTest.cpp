// The Close sequence and ending the program while an operation waits.

#include <QTableWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/wizard/WizardHarness.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> After(const std::vector<std::string>& log, std::size_t skip) {
    return {log.begin() + static_cast<std::ptrdiff_t>(skip), log.end()};
}

TEST(Close, RunsItsStepsInOrderAndEnds) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.click("CloseCmd");
    EXPECT_THAT(After(h.backend.log, 2), ElementsAre("AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_FALSE(h.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.window->programEnded());
    EXPECT_FALSE(h.window->isVisible());
    EXPECT_TRUE(h.startedPrograms.empty());  // empty close-program field
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(Close, PendingWriteBackIsRecoveredFirstWhileTheWindowIsStillOnTop) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.state.ProfileIntact = false;
    bool topMostDuringRecovery = false;
    h.backend.onRecover = [&] { topMostDuringRecovery = h.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    h.click("CloseCmd");
    EXPECT_TRUE(topMostDuringRecovery);
    EXPECT_THAT(After(h.backend.log, 2),
                ElementsAre("ProfileRecovering", "AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
}

TEST(Close, StartsTheConfiguredProgramFromTheProgramFolder) {
    WizardHarness h;
    ASSERT_TRUE(h.start(MakeSetupRecord("VOR.1H.FWR", "divelog", "5000")));
    h.click("CloseCmd");
    EXPECT_THAT(h.startedPrograms, ElementsAre(h.dir.path().toStdString() + "/divelog"));
}

TEST(Close, FailingStepsDoNotStopTheOthers) {
    struct ThrowingBackend : ScriptedBackend {
        void ProfileRecovering() override { throw std::runtime_error("no DC"); }
        void AbortLink() override { throw std::runtime_error("port gone"); }
    };
    WizardHarness h;
    ThrowingBackend backend;
    h.build();
    h.flow->setBackend(&backend);
    ASSERT_TRUE(h.window->Form_Load());
    h.state.ProfileIntact = false;
    h.window->show();
    h.click("CloseCmd");
    EXPECT_THAT(After(backend.log, 2), ElementsAre("WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(Close, WindowCloseButtonRunsTheSameSequenceOnce) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.state.ProfileIntact = false;
    h.window->close();
    h.window->close();
    EXPECT_EQ(std::count(h.backend.log.begin(), h.backend.log.end(), "ProfileRecovering"), 1);
    EXPECT_EQ(h.endCalls, 1);
}

TEST(Close, CloseDuringAWaitingUpdateUnwindsItCleanly) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.backend.firmwareVersion = "1H";
    double gaveUpAt = -1;
    bool reachedEnd = false;
    h.backend.onUpdate = [&] {
        h.flow->InsertTaskList(IconRunning, "Uploading", "...");
        h.state.ProfileIntact = false;  // profile saved, not yet written back
        // The diver presses Close five seconds into a 45 s wait.
        h.pump.schedule(5.0, [&] { h.click("CloseCmd"); });
        try {
            while (h.pump.now() < 45.0) h.pump.yieldUntil(45.0);
        } catch (const ProgramEnding&) {
            gaveUpAt = h.pump.now();
            throw;
        }
        reachedEnd = true;
    };
    h.click("NextCmd");
    EXPECT_DOUBLE_EQ(gaveUpAt, 5.0);
    EXPECT_FALSE(reachedEnd);
    EXPECT_THAT(After(h.backend.log, 4), ElementsAre("UpdateFirmware", "ProfileRecovering", "AbortLink",
                                                     "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_TRUE(h.boxes.shown.empty());  // no error box for the ending
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.window->programEnded());
}

TEST(Close, DisagreeEndsAtOnceWithoutTheCloseSteps) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.state.ProfileIntact = false;
    QPushButton* disagree = h.button("DisagreeCmd");
    disagree->click();  // hidden below the client area, so not by mouse
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_EQ(h.backend.log.size(), 2u);  // only the start-up calls
}

TEST(Close, AgreeDoesNothing) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.button("AgreeCmd")->click();
    EXPECT_EQ(h.endCalls, 0);
    EXPECT_EQ(h.backend.log.size(), 2u);
    EXPECT_TRUE(h.boxes.shown.empty());
}

}  // namespace
}  // namespace vor::test
