// The code upload on the wire: blocks, closing words, progress, failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "tests/firmware/UpdateTestRig.h"
#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Row = RecordingWizard::Row;

std::vector<std::vector<std::uint8_t>> SectionWrites(std::uint8_t code, const BlockTable& table, int count) {
    std::vector<std::vector<std::uint8_t>> writes;
    for (int r = 0; r < count; ++r)
        for (auto& w : BlockWrites(code, table[r])) writes.push_back(w);
    return writes;
}

TEST(UploadCode, SendsEveryBlockWithItsCheckByteLastThenTheSection1Checksum) {
    UpdateRig rig(ImageKind::OnlySection1, 3);
    rig.uploader.UploadCode();

    auto expected = SectionWrites(0xB5, rig.image.Section1Blocks, 3);
    expected.push_back(WordWrite(0xB6, 0x0102));
    EXPECT_EQ(rig.writtenBytes(), expected);
    // The 129th byte of a block is its check byte, after the 128 data bytes.
    EXPECT_EQ(rig.port.writes()[1].bytes[128], 0xF0);
    EXPECT_THAT(rig.wizard.statuses, ElementsAre("33%", "67%", "100%", T(Msg::Done)));
    EXPECT_THAT(rig.wizard.rows, ElementsAre(Row{0, T(Msg::UploadingCode), T(Msg::Done)}));
    EXPECT_FALSE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 0);
}

TEST(UploadCode, SectionOneOfATwoSectionImageHasItsOwnStartRow) {
    UpdateRig rig(ImageKind::BothSections, 1, 1);
    rig.uploader.UploadCode();
    EXPECT_THAT(rig.wizard.rows, ElementsAre(Row{0, T(Msg::UploadingSection1), T(Msg::Done)}));
}

TEST(UploadCode2, SendsSection2BlocksThenArgumentThenChecksum) {
    UpdateRig rig(ImageKind::BothSections, 1, 2);
    rig.uploader.UploadCode2();

    auto expected = SectionWrites(0xB7, rig.image.Section2Blocks, 2);
    expected.push_back(WordWrite(0xB8, 0x1234));
    expected.push_back(WordWrite(0xB9, 0x0304));
    EXPECT_EQ(rig.writtenBytes(), expected);
    EXPECT_EQ(rig.writtenBytes()[0], (std::vector<std::uint8_t>{0xB7, 0x40, 0x00, 0x00}));
    EXPECT_THAT(rig.wizard.rows, ElementsAre(Row{0, T(Msg::UploadingSection2), T(Msg::Done)}));
}

TEST(UploadCode2, OnlySection2ImageUsesTheOneSectionStartRow) {
    UpdateRig rig(ImageKind::OnlySection2, 0, 1);
    rig.uploader.UploadCode2();
    EXPECT_THAT(rig.wizard.rows, ElementsAre(Row{0, T(Msg::UploadingCode), T(Msg::Done)}));
}

TEST(UploadCode, ProgressOfEightBlocksRoundsHalvesToEvenAndIsShownBeforeEachBlock) {
    UpdateRig rig(ImageKind::OnlySection1, 8);
    rig.uploader.UploadCode();

    const std::vector<std::string> percents{"12%", "25%", "38%", "50%", "62%", "75%", "88%", "100%"};
    auto expected = percents;
    expected.push_back(T(Msg::Done));
    EXPECT_EQ(rig.wizard.statuses, expected);
    // Each status lies between the previous block's data and this block's announcement.
    int previousData = -1;
    for (int r = 0; r < 8; ++r) {
        char address[8];
        std::snprintf(address, sizeof address, "%04X", r * 128);
        const int shown = IndexOf(rig.journal, "status " + percents[static_cast<std::size_t>(r)]);
        EXPECT_LT(previousData, shown) << "block " << r + 1;
        EXPECT_LT(shown, IndexOf(rig.journal, std::string("DC B5 ") + address)) << "block " << r + 1;
        previousData = IndexOf(rig.journal, std::string("DC data B5 ") + address);
    }
}

TEST(UploadCode, EmptySectionsSendOnlyTheirClosingWords) {
    UpdateRig one(ImageKind::OnlySection1, 0);
    one.uploader.UploadCode();
    EXPECT_THAT(one.writtenBytes(), ElementsAre(WordWrite(0xB6, 0x0102)));
    EXPECT_THAT(one.wizard.statuses, ElementsAre(T(Msg::Done)));

    UpdateRig two(ImageKind::OnlySection2, 0, 0);
    two.uploader.UploadCode2();
    EXPECT_THAT(two.writtenBytes(), ElementsAre(WordWrite(0xB8, 0x1234), WordWrite(0xB9, 0x0304)));
    EXPECT_THAT(two.wizard.statuses, ElementsAre(T(Msg::Done)));
}

TEST(UploadCode, BlockFiveOfTenUnacknowledgedStopsTheSectionWithoutClosingWord) {
    UpdateRig rig(ImageKind::OnlySection1, 10);
    rig.dc.silentDataAt = {4 * 128};
    rig.uploader.UploadCode();

    // Blocks 1-4 once; block 5 four times (announcement and data); nothing after it.
    EXPECT_EQ(Entries(rig.journal, "DC B5 0200").size(), 4u);
    EXPECT_EQ(Entries(rig.journal, "DC data B5 0200").size(), 4u);
    EXPECT_EQ(Entries(rig.journal, "DC B5").size(), 8u);
    EXPECT_TRUE(Entries(rig.journal, "DC B6").empty());
    EXPECT_TRUE(Entries(rig.journal, "DC B5 0280").empty());
    EXPECT_THAT(rig.wizard.rows,
                ElementsAre(Row{0, T(Msg::UploadingCode), T(Msg::Failed)}, Row{2, T(Msg::DataRefused), ""}));
    EXPECT_THAT(rig.wizard.statuses, ElementsAre("10%", "20%", "30%", "40%", "50%", T(Msg::Failed)));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 1);
    // Four data time-outs of 1 s each.
    EXPECT_GT(rig.pump.now(), 4.0);
    EXPECT_LT(rig.pump.now(), 4.2);
}

TEST(UploadCode, LastBlockCutOffByAPortFailureFailsTheSectionWithoutClosingWord) {
    UpdateRig rig(ImageKind::OnlySection1, 2);
    rig.dc.silentDataAt = {128};
    // The port reports a failure while the last block waits for its acknowledgement.
    rig.pump.schedule(0.5, [&] { rig.link.Abort(); });
    rig.uploader.UploadCode();

    EXPECT_TRUE(Entries(rig.journal, "DC B6").empty());
    EXPECT_THAT(rig.wizard.rows,
                ElementsAre(Row{0, T(Msg::UploadingCode), T(Msg::Failed)}, Row{2, T(Msg::DataRefused), ""}));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UploadCode, UnacknowledgedChecksumIsAFailure) {
    UpdateRig rig(ImageKind::OnlySection1, 1);
    rig.dc.silentWords = {0xB6};
    rig.uploader.UploadCode();

    EXPECT_EQ(Entries(rig.journal, "DC B6 0102").size(), 5u);  // first send and four resends
    EXPECT_THAT(rig.wizard.rows,
                ElementsAre(Row{0, T(Msg::UploadingCode), T(Msg::Failed)}, Row{2, T(Msg::DataRefused), ""}));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UploadCode2, ChecksumIsSentEvenWhenTheArgumentFailed) {
    UpdateRig rig(ImageKind::OnlySection2, 0, 1);
    rig.dc.silentWords = {0xB8};
    rig.uploader.UploadCode2();

    EXPECT_EQ(Entries(rig.journal, "DC B8 1234").size(), 5u);
    EXPECT_THAT(Entries(rig.journal, "DC B9"), ElementsAre("DC B9 0304"));
    EXPECT_THAT(rig.wizard.rows,
                ElementsAre(Row{0, T(Msg::UploadingCode), T(Msg::Failed)}, Row{2, T(Msg::DataRefused), ""}));
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UploadCode, RunTimeErrorAbortsTheLinkAndIsReportedAsAFailure) {
    UpdateRig rig(ImageKind::OnlySection1, 3);
    rig.wizard.throwOnStatus = "67%";
    rig.uploader.UploadCode();

    EXPECT_TRUE(rig.state.CommError);  // never taken for a successful upload
    EXPECT_THAT(Entries(rig.journal, "DC B5"), ElementsAre("DC B5 0000"));
    EXPECT_TRUE(Entries(rig.journal, "DC B6").empty());
    EXPECT_THAT(rig.wizard.rows,
                ElementsAre(Row{0, T(Msg::UploadingCode), T(Msg::Failed)}, Row{2, T(Msg::DataRefused), ""}));
    EXPECT_EQ(AbortProbe(rig.link, rig.port), std::make_pair(1, 1));
    EXPECT_EQ(rig.wizard.resets, 1);
}

TEST(UploadCode, ProgramEndingDuringTheUploadIsNotSwallowed) {
    UpdateRig rig(ImageKind::OnlySection1, 3);
    rig.pump.schedule(0.001, [&] { rig.pump.endProgram(); });
    EXPECT_THROW(rig.uploader.UploadCode(), ProgramEnding);
    EXPECT_TRUE(Entries(rig.journal, "DC B6").empty());
}

}  // namespace
}  // namespace vor::test
