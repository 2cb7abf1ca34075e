// Backup and write-back against the simulated DC, with its line timing, chunked
// answers and injected faults.
#include <gtest/gtest.h>

#include "tests/profile/ProfileFixture.h"
#include "tools/dcsim/SimPeer.h"

using namespace vor;
using namespace vor::test;

namespace {

class SimulatorScenarioTest : public ProfileTest {
protected:
    std::unique_ptr<sim::SimPeer> peer;

    void Attach(sim::DcConfig config) {
        peer.reset();
        peer = std::make_unique<sim::SimPeer>(pump, port, std::move(config));
    }
    int StartLine() const { return peer->dc().memory().startLine(); }
    int EndLine() const { return peer->dc().memory().endLine(); }
    Bytes SimBlock(int line) const {
        const auto b = peer->dc().memory().block(line);
        return {b.begin(), b.end()};
    }
};

}  // namespace

TEST_F(SimulatorScenarioTest, BackupThroughRefusalsAndChunksMatchesTheDcsMemory) {
    sim::DcConfig config;
    config.chunkSize = 7;
    config.faults = {{sim::FaultAction::Reject, false, sim::UnitKind::MemoryRead, 0, 0.15, 3},
                     {sim::FaultAction::GarbageAfter, false, sim::UnitKind::MemoryRead, 0, 0.05, 3}};
    Attach(config);
    keeper->BackupProfile();
    ASSERT_FALSE(state.CommError);

    const int first = StartLine() / 8 * 8;
    const int count = EndLine() / 8 - StartLine() / 8 + 1;
    ASSERT_GT(count, 1);
    const FileView f{ReadFile(BackupFile())};
    ASSERT_EQ(f.bytes.size(), FileSize);
    for (int r = 0; r < count; ++r) {
        ASSERT_EQ(f.value(r, 0), first + 8 * r - 256);
        ASSERT_EQ(f.data(r), SimBlock(first + 8 * r)) << "row " << r;
    }
    EXPECT_EQ(f.digits(), (Bytes{0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(wizard.rows.back().status, T(Msg::Done));
    EXPECT_GT(peer->dc().exchanges(sim::UnitKind::MemoryRead), count + 1);  // refusals were repeated
}

TEST_F(SimulatorScenarioTest, SavedProfileIsWrittenBackIntoAChangedDcAndVerified) {
    sim::DcConfig config;
    config.seed = 5;
    Attach(config);
    keeper->BackupProfile();
    ASSERT_FALSE(state.CommError);
    const int first = StartLine() / 8 * 8;
    const int last = EndLine() / 8 * 8 + 7;
    std::vector<Bytes> saved;
    for (int line = first; line <= last; line += 8) saved.push_back(SimBlock(line));
    const auto header = peer->dc().memoryLine(4);

    // The same DC after an update that erased its header and left other bytes in its
    // memory; blocks lose some acknowledgements on the way.
    config.seed = 6;
    config.faults = {{sim::FaultAction::LoseReply, false, sim::UnitKind::BlockData1, 2, 0.0, 3}};
    Attach(config);
    sim::Line erased;
    erased.fill(0xFF);
    peer->dc().memory().writeLine(4, erased);
    bool changed = peer->dc().memoryLine(4) != header;
    for (std::size_t i = 0; i < saved.size(); ++i)
        changed = changed || SimBlock(first + 8 * static_cast<int>(i)) != saved[i];
    ASSERT_TRUE(changed);
    NewRun();
    ASSERT_TRUE(keeper->GetBackupProfile());
    wizard.rows.clear();
    keeper->RestoreProfile();

    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_EQ(wizard.rows,
              (std::vector<TaskRow>{{0, T(Msg::RestoreStep), T(Msg::Done)}, {0, T(Msg::CheckStep), T(Msg::Done)}}));
    EXPECT_EQ(peer->dc().memoryLine(4), header);
    for (std::size_t i = 0; i < saved.size(); ++i)
        ASSERT_EQ(SimBlock(first + 8 * static_cast<int>(i)), saved[i]) << "block " << i;
    EXPECT_FALSE(std::filesystem::exists(BackupFile()));
    ASSERT_TRUE(peer->dc().lastClockRecord().has_value());
    EXPECT_EQ((*peer->dc().lastClockRecord())[6], 233);
}
