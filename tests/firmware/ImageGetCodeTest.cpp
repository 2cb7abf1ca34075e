// GetCode as the wizard sees it: task-log rows, boxes, ResetStage, CommError and the
// fault it hands back for every outcome of the load.

#include <gtest/gtest.h>

#include "firmware/ImageLoader.h"
#include "tests/firmware/ImageTestSupport.h"
#include "session/WizardState.h"

using namespace vor;
using namespace vor::test;
using Calls = std::vector<std::string>;

namespace {

struct GetCodeRun : ::testing::Test {
    TempFolder folder;
    RecordingServices services;
    WizardState state;
    FirmwareImage image;

    bool run(const ImageContent& content, std::string_view params = Parameters) {
        return run(EncodeImage(content), params);
    }
    bool run(const std::vector<std::uint8_t>& bytes, std::string_view params = Parameters) {
        return GetCode(folder.write("VOR.1H.FWR", bytes), services, state, image, params).ok();
    }
    // The calls of a load that fails after reading: rows 776 and 778, then `tail`.
    static Calls failedLoad(bool reset, const std::string& box) {
        Calls c{"row 0 [" + m(Msg::LoadingImage) + "] [...]"};
        if (reset) c.push_back("reset");
        c.insert(c.end(), {"status [" + m(Msg::Done) + "]", "row 0 [" + m(Msg::CheckingImage) + "] [...]",
                           "box critical ok [" + m(Msg::Failed) + "] [" + box + "]"});
        return c;
    }
};

}  // namespace

TEST_F(GetCodeRun, GoodImageReportsBothStepsAndTheVersionRow) {
    ASSERT_TRUE(run(DemoLikeContent()));
    EXPECT_EQ(services.calls, (Calls{"row 0 [" + m(Msg::LoadingImage) + "] [...]", "status [" + m(Msg::Done) + "]",
                                     "row 0 [" + m(Msg::CheckingImage) + "] [...]", "status [" + m(Msg::Done) + "]",
                                     "row 1 [VOR Watch DC, " + m(Msg::Version) + ": 1H.03] []"}));
    EXPECT_FALSE(state.CommError);
    EXPECT_TRUE(image.BothSections());
    EXPECT_EQ(image.MemorySize, 512);
}

TEST_F(GetCodeRun, MissingFileFailsSilentlyLeavingRow776RunningAndSaysWhy) {
    for (const auto& path : {folder.path() / "VOR.1H.FWR", folder.path(), folder.path() / ".VOR.1H.FWR"}) {
        if (path.filename() == ".VOR.1H.FWR") folder.write(".VOR.1H.FWR", EncodeImage(DemoLikeContent()));
        services.calls.clear();
        state.CommError = false;
        const ImageLoadResult loaded = GetCode(path, services, state, image, Parameters);
        EXPECT_EQ(loaded.fault, ImageFault::FileMissing) << path;
        EXPECT_FALSE(loaded.detail.empty()) << path;
        EXPECT_EQ(services.calls, (Calls{"row 0 [" + m(Msg::LoadingImage) + "] [...]", "reset"})) << path;
        EXPECT_TRUE(state.CommError);
    }
}

TEST_F(GetCodeRun, ChecksumFaultsShowTheirOwnTextWithoutResetStage) {
    struct Case {
        ImageKind kind;
        bool corrupt1, corrupt2;
        const char* text;
    };
    for (const Case& k : {Case{ImageKind::OnlySection1, true, false, "Check sum error 1!"},
                          Case{ImageKind::OnlySection2, false, true, "Check sum error 1!"},
                          Case{ImageKind::BothSections, true, false, "Check sum error 2!"},
                          Case{ImageKind::BothSections, true, true, "Check sum error 2!"},
                          Case{ImageKind::BothSections, false, true, "Check sum error 3!"}}) {
        ImageContent c = DemoLikeContent(k.kind, k.kind == ImageKind::OnlySection2 ? 0 : 3,
                                         k.kind == ImageKind::OnlySection1 ? 0 : 2);
        if (k.corrupt1) c.StoredSection1Checksum = SectionChecksum(c.Section1) ^ 1;
        if (k.corrupt2) c.StoredSection2Checksum = SectionChecksum(c.Section2) ^ 0x100;
        services.calls.clear();
        EXPECT_FALSE(run(c));
        EXPECT_EQ(services.calls, failedLoad(false, k.text)) << k.text;
        EXPECT_FALSE(state.CommError);
    }
}

TEST_F(GetCodeRun, EmptyNamesShowMessage779WithCode) {
    ImageContent c = DemoLikeContent();
    c.DeviceName = "";
    EXPECT_FALSE(run(c));
    EXPECT_EQ(services.calls, failedLoad(true, m(Msg::ImageDamaged) + " 4!"));
    EXPECT_TRUE(state.CommError);

    c = DemoLikeContent();
    c.ModelName = "";
    services.calls.clear();
    EXPECT_FALSE(run(c));
    EXPECT_EQ(services.calls, failedLoad(true, m(Msg::ImageDamaged) + " 5!"));
}

TEST_F(GetCodeRun, MalformedFilesShowMessage779WithoutCode) {
    ImageContent tooMany = DemoLikeContent();
    tooMany.StoredSection2Count = 1025;
    ImageContent highAddress = DemoLikeContent();
    highAddress.Section1[2].address = 0x8000 | 0x0100;
    ImageContent runaway = DemoLikeContent();
    runaway.UnterminatedDeviceName = true;
    std::vector<std::uint8_t> truncated = EncodeImage(DemoLikeContent());
    truncated.resize(truncated.size() - ImageRecordBytes);
    std::vector<std::uint8_t> partial = EncodeImage(DemoLikeContent());
    partial.pop_back();

    for (const auto& bytes : {EncodeImage(tooMany), EncodeImage(highAddress), EncodeImage(runaway), truncated, partial,
                              std::vector<std::uint8_t>{}}) {
        services.calls.clear();
        state.CommError = false;
        EXPECT_FALSE(run(bytes));
        EXPECT_EQ(services.calls, failedLoad(true, m(Msg::ImageDamaged) + " !")) << bytes.size();
        EXPECT_TRUE(state.CommError);
    }
}

TEST_F(GetCodeRun, CodeRememberedBeforeALaterFaultStaysInTheBox) {
    ImageContent c = DemoLikeContent();
    c.DeviceName = "";
    std::vector<std::uint8_t> bytes = EncodeImage(c);
    bytes.resize(bytes.size() - 1);
    EXPECT_FALSE(run(bytes));
    EXPECT_EQ(services.calls, failedLoad(true, m(Msg::ImageDamaged) + " 4!"));
}

TEST_F(GetCodeRun, ParameterRecordWithoutField4FailsTheLoad) {
    EXPECT_FALSE(run(DemoLikeContent(), "MERO|VOR|512"));
    EXPECT_EQ(services.calls, failedLoad(true, m(Msg::ImageDamaged) + " !"));
}

TEST_F(GetCodeRun, ParameterRevisionIsTakenFromField4) {
    ASSERT_TRUE(run(DemoLikeContent(), "MERO|VOR|512|6865|1A05"));
    EXPECT_EQ(image.MinimumVersion, "1A");
    EXPECT_EQ(image.ConfigRevision, 5);
}

TEST(ImageVersionRow, RevisionSuffixDependsOnKindAndRange) {
    struct Case {
        ImageKind kind;
        int revision;
        const char* text;
    };
    for (const Case& k :
         {Case{ImageKind::OnlySection1, 7, "DC, v: 1H.07"}, Case{ImageKind::OnlySection1, 0, "DC, v: 1H"},
          Case{ImageKind::OnlySection1, 150, "DC, v: 1H"}, Case{ImageKind::OnlySection1, 1, "DC, v: 1H.01"},
          Case{ImageKind::OnlySection1, 99, "DC, v: 1H.99"}, Case{ImageKind::OnlySection1, 100, "DC, v: 1H"},
          Case{ImageKind::OnlySection2, 0, "DC, v: 1H.00"}, Case{ImageKind::OnlySection2, 150, "DC, v: 1H.150"},
          Case{ImageKind::BothSections, 0, "DC, v: 1H.00"}, Case{ImageKind::BothSections, 255, "DC, v: 1H.255"}}) {
        FirmwareImage image;
        image.DeviceName = "DC";
        image.ImageVersion = "1H";
        image.Kind = k.kind;
        image.ImageRevision = static_cast<std::uint8_t>(k.revision);
        EXPECT_EQ(ImageVersionRowText(image, "v"), k.text);
    }
}

TEST_F(GetCodeRun, SectionOneImageWithRevision150HasNoSuffixInTheLog) {
    ImageContent c = DemoLikeContent(ImageKind::OnlySection1, 2, 0);
    c.ImageRevision = 150;
    ASSERT_TRUE(run(c));
    EXPECT_EQ(services.calls.back(), "row 1 [VOR Watch DC, " + m(Msg::Version) + ": 1H] []");
}
