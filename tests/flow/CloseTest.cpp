// The Close sequence and ending the program while an operation waits.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "flow/SetupRecord.h"
#include "tests/flow/FlowHarness.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;

TEST(Close, RunsItsStepsInOrderAndEnds) {
    FlowHarness h;
    ASSERT_TRUE(h.start());
    EXPECT_TRUE(h.frontEnd.onTop);
    h.close();
    EXPECT_THAT(h.callsAfterStartUp(), ElementsAre("AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_THAT(h.frontEnd.closeSteps, ElementsAre("RemoveTrayIcon", "HideTitle"));
    EXPECT_FALSE(h.frontEnd.onTop);
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.flow->ended());
    EXPECT_TRUE(h.frontEnd.ended);
    EXPECT_TRUE(h.startedPrograms.empty());  // empty close-program field
    EXPECT_TRUE(h.frontEnd.shown.empty());
}

TEST(Close, PendingWriteBackIsRecoveredFirstWhileTheWindowIsStillOnTop) {
    FlowHarness h;
    ASSERT_TRUE(h.start());
    h.leavePendingBackup();
    bool onTopDuringRecovery = false;
    bool busyDuringRecovery = false;
    h.backend.onRecover = [&] {
        onTopDuringRecovery = h.frontEnd.onTop;
        busyDuringRecovery = h.flow->busy();
    };
    h.close();
    EXPECT_TRUE(onTopDuringRecovery);
    EXPECT_TRUE(busyDuringRecovery);
    EXPECT_FALSE(h.flow->busy());
    EXPECT_THAT(h.callsAfterStartUp(),
                ElementsAre("ProfileRecovering", "AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
}

TEST(Close, StartsTheConfiguredProgramFromTheProgramFolder) {
    FlowHarness h;
    ASSERT_TRUE(h.start(MakeSetupRecord("VOR.1H.FWR", "divelog", "5000")));
    h.close();
    EXPECT_THAT(h.startedPrograms, ElementsAre((h.dir / "divelog").string()));
}

TEST(Close, FailingStepsDoNotStopTheOthers) {
    struct ThrowingBackend : ScriptedBackend {
        void ProfileRecovering() override { throw std::runtime_error("no DC"); }
        void AbortLink() override { throw std::runtime_error("port gone"); }
    };
    FlowHarness h;
    ThrowingBackend backend;
    h.build();
    h.flow->setBackend(&backend);
    ASSERT_TRUE(h.flow->Start());
    h.leavePendingBackup();
    backend.profileReport = h.backend.profileReport;
    h.close();
    EXPECT_THAT(std::vector<std::string>(backend.log.begin() + 2, backend.log.end()),
                ElementsAre("WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.frontEnd.shown.empty());
}

TEST(Close, SecondCloseWhileTheFirstRunsDoesNothing) {
    FlowHarness h;
    ASSERT_TRUE(h.start());
    h.leavePendingBackup();
    h.backend.onRecover = [&] { h.close(); };
    h.close();
    h.close();
    EXPECT_EQ(std::count(h.backend.log.begin(), h.backend.log.end(), "ProfileRecovering"), 1);
    EXPECT_EQ(h.endCalls, 1);
}

TEST(Close, CloseDuringAWaitingUpdateUnwindsItCleanly) {
    FlowHarness h;
    ASSERT_TRUE(h.start());
    h.backend.firmwareVersion = "1H";
    double gaveUpAt = -1;
    bool reachedEnd = false;
    h.backend.onUpdate = [&] {
        h.flow->InsertTaskList(IconRunning, "Uploading", "...");
        h.leavePendingBackup();
        // The diver presses Close five seconds into a 45 s wait.
        h.pump.schedule(5.0, [&] { h.close(); });
        try {
            while (h.pump.now() < 45.0) h.pump.yieldUntil(45.0);
        } catch (const ProgramEnding&) {
            gaveUpAt = h.pump.now();
            throw;
        }
        reachedEnd = true;
    };
    h.next();
    EXPECT_DOUBLE_EQ(gaveUpAt, 5.0);
    EXPECT_FALSE(reachedEnd);
    EXPECT_THAT(h.callsAfterStartUp(),
                ElementsAre("ReadIdentity", "ParseIdentity", "UpdateFirmware", "ProfileRecovering", "AbortLink",
                            "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_TRUE(h.frontEnd.shown.empty());  // no error box for the ending
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.flow->ended());
}

TEST(Close, EndAtOnceSkipsTheCloseSteps) {
    FlowHarness h;
    ASSERT_TRUE(h.start());
    h.leavePendingBackup();
    h.flow->EndAtOnce();
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_EQ(h.backend.log.size(), 2u);  // only the start-up calls
    EXPECT_THAT(h.frontEnd.closeSteps, ElementsAre("RemoveTrayIcon"));
}

}  // namespace
}  // namespace vor::test
