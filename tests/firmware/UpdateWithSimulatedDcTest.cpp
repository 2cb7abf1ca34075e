// The whole update of the demo image into the simulated demo DC, with the real link
// and the real profile keeper, on the fake clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "firmware/ImageCodec.h"
#include "firmware/ImageDescription.h"
#include "firmware/ImageLoader.h"
#include "firmware/UpdateSequence.h"
#include "link/CommModule.h"
#include "profile/ProfileKeeper.h"
#include "tests/firmware/UpdateTestDoubles.h"
#include "tests/support/TempFolder.h"
#include "tools/dcsim/SimPeer.h"
#include "flow/ProfileForUpdate.h"
#include "session/Messages.h"

namespace vor::test {
namespace {

class UpdateWithSimulatedDc : public ::testing::Test {
protected:
    Journal journal;
    FakeEventPump pump;
    FakeSerialPort port{pump};
    WizardState state;
    CommModule link{port, pump, state};
    RecordingWizard wizard{journal};
    FirmwareImage image;
    std::filesystem::path folder;
    std::unique_ptr<sim::SimPeer> peer;
    ProfileImageFacts profileImage;
    std::unique_ptr<ProfileKeeper> keeper;
    std::unique_ptr<ProfileForUpdate> forUpdate;
    std::unique_ptr<FirmwareUpdater> updater;

    void SetUp() override {
        std::ifstream description(VOR_SOURCE_DIR "/resources/demo-image.txt");
        std::stringstream text;
        text << description.rdbuf();
        const auto file = EncodeImage(ParseImageDescription(text.str()));
        ASSERT_TRUE(DecodeImage(file, "MERO|VOR|512|6865|1A", image).ok());
        link.SizeReplyBuffers(image.MemorySize);

        folder = MakeTempFolder("vor-update");
        profileImage = {image.ModelNumber, image.MemorySize};
        keeper = std::make_unique<ProfileKeeper>(link, wizard, state, profileImage, pump, folder);
        forUpdate = std::make_unique<ProfileForUpdate>(*keeper);
        updater = std::make_unique<FirmwareUpdater>(link, wizard, state, image, *forUpdate, pump);
        state.ProfileBackupNeeded = true;
        state.ProfileIntact = true;
    }
    void TearDown() override {
        // The keeper holds the DC's lock file in the folder: Windows removes no open file.
        updater.reset();
        forUpdate.reset();
        keeper.reset();
        std::filesystem::remove_all(folder);
    }

    void Attach(sim::DcConfig config) { peer = std::make_unique<sim::SimPeer>(pump, port, std::move(config)); }
    std::vector<std::uint8_t> ProfileBytes() const {
        const sim::DcMemory& m = peer->dc().memory();
        std::vector<std::uint8_t> bytes;
        for (int line = m.startLine(); line <= m.endLine(); ++line) {
            const auto l = m.line(line);
            bytes.insert(bytes.end(), l.begin(), l.end());
        }
        return bytes;
    }
};

TEST_F(UpdateWithSimulatedDc, DemoDcTakesBothSectionsAndKeepsItsProfile) {
    Attach({});
    const auto profileBefore = ProfileBytes();
    ASSERT_FALSE(profileBefore.empty());
    EXPECT_EQ(updater->UpdateFirmware().end, FirmwareEnd::Updated);

    const sim::SimulatedDc& dc = peer->dc();
    ASSERT_EQ(dc.sections().size(), 2u);
    EXPECT_TRUE(dc.sections()[0].accepted);
    EXPECT_EQ(dc.sections()[0].blockCount, 300);
    EXPECT_TRUE(dc.sections()[1].accepted);
    EXPECT_EQ(dc.sections()[1].blockCount, 200);
    EXPECT_EQ(dc.sections()[1].argument, 0x1234);
    EXPECT_EQ(dc.version(), "1H");
    EXPECT_EQ(dc.revision(), 3);
    EXPECT_EQ(ProfileBytes(), profileBefore);
    EXPECT_TRUE(dc.lastClockRecord().has_value());
    const auto& lastWrite = port.writes().back().bytes;
    EXPECT_EQ(lastWrite, (std::vector<std::uint8_t>{0xA8, 0x99, 0x00}));

    EXPECT_FALSE(state.CommError);
    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_NE(IndexOf(journal, "row 1 " + T(Msg::NewCodeVerified)), -1);
    EXPECT_EQ(keeper->report().writeBack, WriteBackEnd::Verified);
    EXPECT_EQ(Entries(journal, "row 2").size(), 0u);
}

TEST_F(UpdateWithSimulatedDc, CablePulledInSection2LeavesTheProfileForCloseAndSaysSo) {
    sim::DcConfig config;
    config.faults = {{sim::FaultAction::PullCable, false, sim::UnitKind::BlockData2, 50, 0.0, 3}};
    Attach(config);
    const FirmwareReport report = updater->UpdateFirmware();
    EXPECT_EQ(report.end, FirmwareEnd::Failed);
    EXPECT_EQ(report.failedStep, Msg::UploadingSection2);  // section 2, where the cable went

    EXPECT_FALSE(state.ProfileIntact);  // the backup waits for the recovery at close
    EXPECT_TRUE(std::filesystem::exists(keeper->report().backupFile));
    const std::vector<std::string> rows = [&] {
        std::vector<std::string> texts;
        for (const auto& r : wizard.rows) texts.push_back(r.event);
        return texts;
    }();
    EXPECT_NE(std::find(rows.begin(), rows.end(), T(Msg::DataRefused)), rows.end());
    EXPECT_GE(wizard.resets, 1);
}

}  // namespace
}  // namespace vor::test
