// Start-up of the real window: setup record, language database, port test, captions.

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/wizard/WizardHarness.h"
#include "texts/LanguageDbWriter.h"
#include "texts/SqlCipherConnection.h"
#include "wizard/TitleStrip.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Record(const std::string& languageCode, const std::string& closeProgram = "") {
    return MakeSetupRecord("VOR.1H.FWR", closeProgram, languageCode);
}

TEST(Startup, BuiltInRecordShowsTheFirstPageWithCaptionsFromTheDatabase) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_EQ(h.state.LanguageColumn, 1);
    EXPECT_TRUE(h.state.ProfileIntact);
    EXPECT_FALSE(h.state.DeepSleepMode);
    EXPECT_EQ(h.state.FirmwarePath, h.dir.path().toStdString() + "/VOR.1H.FWR");
    EXPECT_THAT(h.backend.log, ElementsAre("GetCode", "OpenInterfacePort"));

    EXPECT_EQ(h.window->windowTitle(), "VOR 1F Firmware Update");
    auto* title = h.control<TitleStrip>("XPForm");
    EXPECT_EQ(title->caption(), QString("VOR 1H ") + TestTitle);
    EXPECT_TRUE(title->secondLine().startsWith(TestTitle));
    EXPECT_EQ(h.control<QGroupBox>("XPFrame")->title(), "INSTRUCTIONS");
    EXPECT_EQ(h.button("BackCmd")->text(), "Back");
    EXPECT_EQ(h.button("NextCmd")->text(), "Next");
    EXPECT_EQ(h.button("CloseCmd")->text(), "Close");
    auto* log = h.control<QTableWidget>("TaskLst");
    EXPECT_EQ(log->horizontalHeaderItem(1)->text(), "Time");
    EXPECT_EQ(log->horizontalHeaderItem(2)->text(), "Event");
    EXPECT_EQ(log->horizontalHeaderItem(3)->text(), "Status");
}

TEST(Startup, ControlsHaveTheirStatesAndTwipGeometry) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    EXPECT_EQ(h.window->size(), QSize(679, 456));
    EXPECT_EQ(h.window->palette().color(QPalette::Window), QColor(236, 233, 216));
    struct Expect {
        const char* name;
        QRect rect;
        bool visible;
        bool enabled;
    };
    const Expect expected[] = {
        {"XPForm", {0, 0, 679, 30}, true, true},        {"Image1", {0, 32, 141, 358}, true, true},
        {"XPFrame", {144, 32, 529, 361}, true, true},   {"Lbl1", {8, 16, 513, 337}, true, true},
        {"Image2", {56, 16, 389, 174}, false, true},    {"TaskLst", {144, 32, 529, 361}, false, true},
        {"PrintCmd", {16, 424, 73, 25}, false, true},   {"BackCmd", {280, 424, 97, 25}, true, false},
        {"NextCmd", {400, 424, 97, 25}, true, true},    {"CloseCmd", {576, 424, 97, 25}, true, true},
        {"AgreeCmd", {144, 560, 353, 25}, false, true}, {"DisagreeCmd", {536, 560, 145, 25}, false, true},
    };
    for (const Expect& e : expected) {
        auto* w = h.control<QWidget>(e.name);
        ASSERT_NE(w, nullptr) << e.name;
        EXPECT_EQ(w->geometry(), e.rect) << e.name;
        EXPECT_EQ(w->isVisible(), e.visible) << e.name;
        EXPECT_EQ(w->isEnabled(), e.enabled) << e.name;
    }
    EXPECT_EQ(h.button("AgreeCmd")->text(), "I agree and want to proceed to the firmware update");
    EXPECT_EQ(h.button("DisagreeCmd")->text(), "I do not agree");
    EXPECT_EQ(h.button("PrintCmd")->text(), "Print");
    EXPECT_EQ(h.button("NextCmd")->font().family(), "MS Sans Serif");
    auto* columns = h.control<QTableWidget>("TaskLst");
    EXPECT_EQ(columns->columnCount(), 4);
    const int widths[] = {32, 60, 360, 80};
    for (int c : {0, 1, 3}) EXPECT_EQ(columns->columnWidth(c), widths[c]) << c;  // the event column fills the rest
}

TEST(Startup, FirstPageHasTheExactStepTexts) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    EXPECT_EQ(h.control<QLabel>("Lbl1")->text().toStdString(),
              "1. Plug the USB interface cable into an USB port on the PC.\r\n\r\n"
              "2. Dive Computer (DC) needs to be in the Watch Main Time Mode.\r\n\r\n"
              "3. Clip the interface cable on the DC data port.\r\n\r\n"
              "4. A PC will appear with a 120 second countdown (you have 2 minutes to initiate the "
              "connection PC-DC).\r\n"
              "   a) If the  PC screen does not appear, unclip the interface cable from the DC for 5 second "
              "then repeat\r\n"
              "   steps 2, 3, 4.\r\n\r\n"
              ">>> Click on Next button to continue... >>>");
}

TEST(Startup, LanguageCode6000TakesEveryCaptionFromColumnTwo) {
    WizardHarness h;
    ASSERT_TRUE(h.start(Record("6000")));
    EXPECT_EQ(h.state.LanguageColumn, 2);
    EXPECT_EQ(h.control<TitleStrip>("XPForm")->caption(), QString("VOR 1H ") + TestTitleDe);
    EXPECT_EQ(h.control<QGroupBox>("XPFrame")->title(), "ANLEITUNG");
    EXPECT_EQ(h.button("BackCmd")->text(), "Zurück");
    EXPECT_EQ(h.button("NextCmd")->text(), "Weiter");
    EXPECT_EQ(h.button("CloseCmd")->text(), "Schließen");
    EXPECT_EQ(h.control<QTableWidget>("TaskLst")->horizontalHeaderItem(3)->text(), "Zustand");
}

TEST(Startup, RecordWithOneFieldEndsBeforeTheWindowShowsAndWithoutAWord) {
    WizardHarness h;
    EXPECT_FALSE(h.start("VOR.1H.FWR"));
    EXPECT_TRUE(h.window->programEnded());
    EXPECT_FALSE(h.window->isVisible());
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_TRUE(h.backend.log.empty());
    EXPECT_EQ(h.endCalls, 1);
}

TEST(Startup, DamagedRecordEndsWithoutAWord) {
    WizardHarness h;
    std::string record = Record("5000");
    record[0] = 'X';  // the integrity field no longer matches
    EXPECT_FALSE(h.start(record));
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_TRUE(h.backend.log.empty());
}

// "FirmwareUpdate.lng" spoilt one way; only a fault in LANGUAGES leaves the texts usable.
struct SpoiltDb {
    const char* how;
    bool textsKept;
};
void PrintTo(const SpoiltDb& spoilt, std::ostream* out) { *out << spoilt.how; }

void Spoil(const std::string& path, const std::string& how) {
    const std::string good = ReadAll(path);
    if (how.starts_with("DROP") || how.starts_with("DELETE")) {
        SqlCipherConnection db;
        ASSERT_TRUE(db.open(path, LoadResString(ResDatabasePassword), SqlCipherConnection::Mode::ReadWrite));
        ASSERT_TRUE(db.exec(how));
        return;
    }
    std::filesystem::remove(path);
    if (how == "fifo") ::mkfifo(path.c_str(), 0600);
    if (how == "folder") std::filesystem::create_directory(path);
    if (how == "plain") std::system(("sqlite3 '" + path + "' 'CREATE TABLE CONTENTS (N INTEGER);'").c_str());
    if (how == "empty" || how == "truncated" || how == "random")
        std::ofstream(path, std::ios::binary) << (how == "empty"       ? std::string()
                                                  : how == "truncated" ? good.substr(0, 1500)
                                                                       : std::string(good.rbegin(), good.rend()));
}

class SpoiltLanguageDb : public ::testing::TestWithParam<SpoiltDb> {};

TEST_P(SpoiltLanguageDb, BoxThenTheProgramEndsWithAReasonUnlessTheTextsAreKept) {
    WizardHarness h;
    Spoil(h.dir.filePath("FirmwareUpdate.lng").toStdString(), GetParam().how);
    const bool kept = GetParam().textsKept;
    EXPECT_EQ(h.start(), kept);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_TRUE(h.boxes.shown[0].text.ends_with(" 0001")) << h.boxes.shown[0].text;
    EXPECT_EQ(h.flow->exitStatus() != 0, !kept);
    EXPECT_THAT(h.diagnostics, ElementsAre(HasSubstr(kept ? "LANGUAGES" : "FirmwareUpdate.lng cannot be used: ")));
    EXPECT_EQ(h.boxes.shown[0].caption, kept ? "Failed" : "Firmware Update");
    EXPECT_EQ(h.flow->GetText(820), kept ? TestTitle : "");
}

INSTANTIATE_TEST_SUITE_P(Ways, SpoiltLanguageDb,
                         ::testing::Values(SpoiltDb{"missing", false}, SpoiltDb{"empty", false},
                                           SpoiltDb{"truncated", false}, SpoiltDb{"random", false},
                                           SpoiltDb{"plain", false}, SpoiltDb{"fifo", false}, SpoiltDb{"folder", false},
                                           SpoiltDb{"DROP TABLE LANGUAGES", true},
                                           SpoiltDb{"DELETE FROM LANGUAGES", true}));

TEST(Startup, MissingPortAsksAndOkTriesAgainUntilTheCableIsThere) {
    WizardHarness h;
    h.backend.portOutcomes = {{PortOpenResult::NotFound, {}, {}}, {PortOpenResult::Failed, "/dev/ttyUSB0", "busy"}};
    h.boxes.answers = {BoxAnswer::Ok, BoxAnswer::Ok};
    ASSERT_TRUE(h.start());
    EXPECT_THAT(h.backend.log, ElementsAre("GetCode", "OpenInterfacePort", "OpenInterfacePort", "OpenInterfacePort"));
    ASSERT_EQ(h.boxes.shown.size(), 2u);
    for (const ShownBox& box : h.boxes.shown) {
        EXPECT_EQ(box.icon, BoxIcon::Critical);
        EXPECT_EQ(box.buttons, BoxButtons::OkCancel);
        EXPECT_EQ(box.caption, "Interface");
        EXPECT_EQ(box.text, "The interface cable was not found.\r\nPlease check the cable.");
    }
    EXPECT_EQ(h.control<QLabel>("Lbl1")->text().left(2), "1.");
}

TEST(Startup, CancelInThePortBoxEndsWithoutEnteringTheEventLoop) {
    WizardHarness h;
    h.backend.portOutcomes = {{PortOpenResult::NotFound, {}, {}}};
    h.boxes.answers = {BoxAnswer::Cancel};
    EXPECT_FALSE(h.start());
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_FALSE(h.window->isVisible());
    EXPECT_THAT(h.backend.log, ElementsAre("GetCode", "OpenInterfacePort"));
    EXPECT_TRUE(h.control<QLabel>("Lbl1")->text().isEmpty());  // never reached step 17
}

TEST(Startup, PortWithoutPermissionExplainsTheDialoutGroupAndRetries) {
    WizardHarness h;
    h.backend.portOutcomes = {{PortOpenResult::PermissionDenied, "/dev/ttyUSB0", "Permission denied"}};
    h.boxes.answers = {BoxAnswer::Ok};
    ASSERT_TRUE(h.start());
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    const ShownBox& box = h.boxes.shown[0];
    EXPECT_EQ(box.buttons, BoxButtons::OkCancel);
    EXPECT_NE(box.text.find("/dev/ttyUSB0 exists"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("\"dialout\""), std::string::npos);
    EXPECT_NE(box.text.find("udev rule"), std::string::npos);
    EXPECT_THAT(h.backend.log, ElementsAre("GetCode", "OpenInterfacePort", "OpenInterfacePort"));
}

TEST(Startup, ImageFailureThatClosesTheProgramStopsStartUp) {
    WizardHarness h;
    h.backend.onGetCode = [&] { h.flow->CloseProgram(); };
    EXPECT_FALSE(h.start());
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_THAT(h.backend.log, ElementsAre("GetCode", "AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
}

TEST(Startup, UnexpectedStartUpErrorIsReportedAndEndsTheProgram) {
    WizardHarness h;
    h.backend.onGetCode = [] { throw std::runtime_error("image reader broke"); };
    EXPECT_FALSE(h.start());
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].text.find("image reader broke"), std::string::npos);
}

TEST(Startup, WindowIsTopMostFromStartUp) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    EXPECT_TRUE(h.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(h.window->isVisible());
}

}  // namespace
}  // namespace vor::test
