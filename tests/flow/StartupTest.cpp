// Start-up: setup record, language database, image, port test, the first page.

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "flow/SetupRecord.h"
#include "flow/WindowTexts.h"
#include "session/Messages.h"
#include "tests/flow/FlowHarness.h"
#include "texts/SqlCipherConnection.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Record(const std::string& languageCode, const std::string& closeProgram = "") {
    return MakeSetupRecord("VOR.1H.FWR", closeProgram, languageCode);
}

// The frame, the buttons and the task log's columns, in that order.
std::vector<std::string> Captions(const WindowTexts& t) {
    return {t.frame, t.back, t.next, t.close, t.timeColumn, t.eventColumn, t.statusColumn};
}

TEST(Startup, BuiltInRecordShowsTheFirstPageWithCaptionsFromTheDatabase) {
    FlowHarness h;
    ASSERT_TRUE(h.start());
    EXPECT_TRUE(h.frontEnd.shown.empty());
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_EQ(h.state.LanguageColumn, 1);
    EXPECT_TRUE(h.state.ProfileIntact);
    EXPECT_FALSE(h.state.DeepSleepMode);
    EXPECT_EQ(h.state.FirmwarePath, (h.dir / "VOR.1H.FWR").string());
    EXPECT_THAT(h.backend.log, ElementsAre("LoadFirmwareImage", "OpenInterfacePort"));
    EXPECT_TRUE(h.frontEnd.textsReady);
    EXPECT_TRUE(h.frontEnd.onTop);
    EXPECT_EQ(h.frontEnd.page, 1);

    const WindowTexts texts = WindowTextsOf(*h.flow);
    EXPECT_EQ(texts.title, std::string("VOR 1H ") + TestTitle);
    EXPECT_TRUE(texts.secondLine.starts_with(TestTitle));
    EXPECT_THAT(Captions(texts), ElementsAre("Instructions", "Back", "Next", "Close", "Time", "Event", "Status"));
}

TEST(Startup, LanguageCode6000TakesEveryCaptionFromColumnTwo) {
    FlowHarness h;
    ASSERT_TRUE(h.start(Record("6000")));
    EXPECT_EQ(h.state.LanguageColumn, 2);
    const WindowTexts texts = WindowTextsOf(*h.flow);
    EXPECT_EQ(texts.title, std::string("VOR 1H ") + TestTitleDe);
    EXPECT_THAT(Captions(texts),
                ElementsAre("Anleitung", "Zurück", "Weiter", "Schließen", "Zeit", "Ereignis", "Zustand"));
}

TEST(Startup, RecordWithOneFieldEndsBeforeAnythingIsShownAndWithoutAWord) {
    FlowHarness h;
    EXPECT_FALSE(h.start("VOR.1H.FWR"));
    EXPECT_TRUE(h.flow->ended());
    EXPECT_FALSE(h.frontEnd.textsReady);
    EXPECT_EQ(h.frontEnd.page, 0);
    EXPECT_TRUE(h.frontEnd.shown.empty());
    EXPECT_TRUE(h.backend.log.empty());
    EXPECT_EQ(h.endCalls, 1);
}

TEST(Startup, DamagedRecordEndsWithoutAWord) {
    FlowHarness h;
    std::string record = Record("5000");
    record[0] = 'X';  // the integrity field no longer matches
    EXPECT_FALSE(h.start(record));
    EXPECT_TRUE(h.frontEnd.shown.empty());
    EXPECT_TRUE(h.backend.log.empty());
}

// "FirmwareUpdate.lng" spoilt one way; only a fault in LANGUAGES leaves the texts usable.
struct SpoiltDb {
    const char* how;
    bool textsKept;
};
void PrintTo(const SpoiltDb& spoilt, std::ostream* out) { *out << spoilt.how; }

void Spoil(const std::filesystem::path& path, const std::string& how) {
    const std::string good = ReadAll(path);
    if (how.starts_with("DROP") || how.starts_with("DELETE")) {
        SqlCipherConnection db;
        ASSERT_TRUE(db.open(path.string(), LoadResString(ResDatabasePassword), SqlCipherConnection::Mode::ReadWrite));
        ASSERT_TRUE(db.exec(how));
        return;
    }
    std::filesystem::remove(path);
#ifndef _WIN32
    if (how == "fifo") ::mkfifo(path.c_str(), 0600);
    if (how == "plain") std::system(("sqlite3 '" + path.string() + "' 'CREATE TABLE CONTENTS (N INTEGER);'").c_str());
#endif
    if (how == "folder") std::filesystem::create_directory(path);
    if (how == "empty" || how == "truncated" || how == "random")
        std::ofstream(path, std::ios::binary) << (how == "empty"       ? std::string()
                                                  : how == "truncated" ? good.substr(0, 1500)
                                                                       : std::string(good.rbegin(), good.rend()));
}

class SpoiltLanguageDb : public ::testing::TestWithParam<SpoiltDb> {};

TEST_P(SpoiltLanguageDb, BoxThenTheProgramEndsWithAReasonUnlessTheTextsAreKept) {
#ifdef _WIN32
    const std::string how = GetParam().how;
    if (how == "fifo" || how == "plain") GTEST_SKIP() << "a FIFO and the sqlite3 program are the POSIX build's";
#endif
    FlowHarness h;
    Spoil(h.dir / "FirmwareUpdate.lng", GetParam().how);
    const bool kept = GetParam().textsKept;
    EXPECT_EQ(h.start(), kept);
    ASSERT_EQ(h.frontEnd.shown.size(), 1u);
    EXPECT_TRUE(h.frontEnd.shown[0].text.ends_with(" 0001")) << h.frontEnd.shown[0].text;
    EXPECT_EQ(h.flow->exitStatus() != 0, !kept);
    EXPECT_THAT(h.diagnostics, ElementsAre(HasSubstr(kept ? "LANGUAGES" : "FirmwareUpdate.lng cannot be used: ")));
    EXPECT_EQ(h.frontEnd.shown[0].caption, kept ? "Failed" : "Firmware Update");
    EXPECT_EQ(h.flow->GetText(Msg::Title), kept ? TestTitle : "");
}

INSTANTIATE_TEST_SUITE_P(Ways, SpoiltLanguageDb,
                         ::testing::Values(SpoiltDb{"missing", false}, SpoiltDb{"empty", false},
                                           SpoiltDb{"truncated", false}, SpoiltDb{"random", false},
                                           SpoiltDb{"plain", false}, SpoiltDb{"fifo", false}, SpoiltDb{"folder", false},
                                           SpoiltDb{"DROP TABLE LANGUAGES", true},
                                           SpoiltDb{"DELETE FROM LANGUAGES", true}));

TEST(Startup, MissingPortAsksAndOkTriesAgainUntilTheCableIsThere) {
    FlowHarness h;
    h.backend.portOutcomes = {{PortOpenResult::NotFound, {}, {}}, {PortOpenResult::Failed, "/dev/ttyUSB0", "busy"}};
    h.frontEnd.answers = {BoxAnswer::Ok, BoxAnswer::Ok};
    ASSERT_TRUE(h.start());
    EXPECT_THAT(h.backend.log,
                ElementsAre("LoadFirmwareImage", "OpenInterfacePort", "OpenInterfacePort", "OpenInterfacePort"));
    ASSERT_EQ(h.frontEnd.shown.size(), 2u);
    for (const ShownBox& box : h.frontEnd.shown) {
        EXPECT_EQ(box.icon, BoxIcon::Critical);
        EXPECT_EQ(box.buttons, BoxButtons::OkCancel);
        EXPECT_EQ(box.caption, "Interface");
        EXPECT_EQ(box.text, "The interface cable was not found.\r\nPlease check the cable.");
    }
    EXPECT_EQ(h.frontEnd.page, 1);
}

TEST(Startup, CancelInThePortBoxEndsBeforeTheFirstPage) {
    FlowHarness h;
    h.backend.portOutcomes = {{PortOpenResult::NotFound, {}, {}}};
    h.frontEnd.answers = {BoxAnswer::Cancel};
    EXPECT_FALSE(h.start());
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.frontEnd.ended);
    EXPECT_THAT(h.backend.log, ElementsAre("LoadFirmwareImage", "OpenInterfacePort"));
    EXPECT_EQ(h.frontEnd.page, 0);
}

TEST(Startup, PortWithoutPermissionExplainsTheDialoutGroupAndRetries) {
    FlowHarness h;
    h.backend.portOutcomes = {{PortOpenResult::PermissionDenied, "/dev/ttyUSB0", "Permission denied"}};
    h.frontEnd.answers = {BoxAnswer::Ok};
    ASSERT_TRUE(h.start());
    ASSERT_EQ(h.frontEnd.shown.size(), 1u);
    const ShownBox& box = h.frontEnd.shown[0];
    EXPECT_EQ(box.buttons, BoxButtons::OkCancel);
    EXPECT_THAT(box.text, HasSubstr("/dev/ttyUSB0 exists"));
    EXPECT_THAT(box.text, HasSubstr("\"dialout\""));
    EXPECT_THAT(box.text, HasSubstr("udev rule"));
    EXPECT_THAT(h.backend.log, ElementsAre("LoadFirmwareImage", "OpenInterfacePort", "OpenInterfacePort"));
}

TEST(Startup, UnusableImageEndsThroughTheCloseSequenceAndSaysWhyOnce) {
    FlowHarness h;
    h.backend.imageProblem = "section 1 sum 0x1234 differs from the stored 0x1235";
    EXPECT_FALSE(h.start());
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_THAT(h.backend.log,
                ElementsAre("LoadFirmwareImage", "AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_THAT(h.diagnostics, ElementsAre("the firmware image " + h.state.FirmwarePath +
                                           " cannot be loaded: section 1 sum 0x1234 differs from the stored 0x1235"));
    EXPECT_EQ(h.frontEnd.page, 0);
}

TEST(Startup, UnexpectedStartUpErrorIsReportedAndEndsTheProgram) {
    FlowHarness h;
    h.backend.onLoadFirmwareImage = [] { throw std::runtime_error("image reader broke"); };
    EXPECT_FALSE(h.start());
    ASSERT_EQ(h.frontEnd.shown.size(), 1u);
    EXPECT_THAT(h.frontEnd.shown[0].text, HasSubstr("image reader broke"));
}

}  // namespace
}  // namespace vor::test
