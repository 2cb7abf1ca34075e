// WaitForReset on the fake clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/firmware/UpdateTestRig.h"

namespace vor::test {
namespace {

using Row = RecordingWizard::Row;

TEST(WaitForReset, EndsAtTheFirstCheckAfterMoreThanTheWaitAndServesEvents) {
    UpdateRig rig;
    bool servedMidway = false;
    std::string statusAtTheWait;
    rig.pump.schedule(6.0, [&] { servedMidway = true; });
    rig.pump.schedule(12.0, [&] { statusAtTheWait = rig.wizard.rows.back().status; });
    rig.updater.WaitForReset(12.0);

    EXPECT_TRUE(servedMidway);
    EXPECT_EQ(statusAtTheWait, "...");  // exactly 12 s is not yet over
    EXPECT_GT(rig.pump.now(), 12.0);
    EXPECT_LE(rig.pump.now(), 12.0 + 2 * FakeEventPump::MinimumStep);
    EXPECT_THAT(rig.wizard.rows, ::testing::ElementsAre(Row{0, T(Msg::WaitingForRestart), T(Msg::Done)}));
    EXPECT_TRUE(rig.port.writes().empty());
}

}  // namespace
}  // namespace vor::test
