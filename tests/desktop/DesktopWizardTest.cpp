// The real window with its desktop hooks: the diagnosed port box, the computer kept
// awake exactly while the DC is written, the record of every attempt and "Save log...".

#include <QAction>
#include <QFile>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

#include "tests/wizard/WizardHarness.h"
#include "texts/LanguageDbWriter.h"
#include "flow/SetupRecord.h"

namespace vor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Counts the holds alive and the reasons asked for.
class RecordingInhibitor : public SleepInhibitor {
public:
    class CountedHold : public Hold {
    public:
        explicit CountedHold(int& alive) : alive_(alive) { ++alive_; }
        ~CountedHold() override { --alive_; }

    private:
        int& alive_;
    };
    std::unique_ptr<Hold> inhibit(const std::string& why) override {
        whys.push_back(why);
        if (refuse) return nullptr;
        return std::make_unique<CountedHold>(alive);
    }
    int alive = 0;
    bool refuse = false;
    std::vector<std::string> whys;
};

// A DC whose identity and image version the record can show.
class IdentifiedBackend : public ScriptedBackend {
public:
    std::string IdentityString() override { return identity; }
    std::string ImageVersion() override { return "1H"; }
    std::string SerialNumber() override { return "000042"; }
    std::string identity = "VOR WATCH 1H 512";  // its last word is not the serial
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> Records(const fs::path& folder) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind("task-log-", 0) == 0) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

class DesktopWizard : public ::testing::Test {
protected:
    void SetUp() override {
        inhibitor = std::make_shared<RecordingInhibitor>();
        backend.state = &h.state;
        h.pump.setLocalTimeBase({2026, 3, 14, 9, 26, 53});
    }
    // Builds with the desktop services and starts; `diagnose` replaces the port diagnosis.
    void start(std::function<PortDiagnosis(const PortOpenOutcome&)> diagnose = {},
               const std::string& record = LoadResString(ResSetupRecord)) {
        DesktopServices& desktop = h.desktop;
        desktop.diagnosePort = std::move(diagnose);
        desktop.sleepInhibitor = inhibitor;
        desktop.recordFolder = [this] { return fs::path(records.path().toStdString()); };
        desktop.askSaveLogPath = [this](const std::string& suggested) {
            suggestedPaths.push_back(suggested);
            return savePath;
        };
        h.build(record);
        h.flow->setBackend(&backend);
        ASSERT_TRUE(h.start(record));
    }
    // Next on a current DC starts the update; the fake update writes two rows.
    void runUpdate(std::function<void()> during = {}) {
        backend.firmwareVersion = "1H";
        backend.onUpdate = [this, during] {
            h.flow->InsertTaskList(IconRunning, "Reading DC identity", "...");
            h.pump.sleepFor(2.0);
            h.flow->SetTaskStatus("Done");
            if (during) during();
            h.flow->InsertTaskList(IconInfo, "Finished without errors.", "");
        };
        h.click("NextCmd");
    }
    fs::path recordsDir() const { return records.path().toStdString(); }

    WizardHarness h;
    IdentifiedBackend backend;
    std::shared_ptr<RecordingInhibitor> inhibitor;
    QTemporaryDir records;
    std::string savePath;
    std::vector<std::string> suggestedPaths;
};

TEST_F(DesktopWizard, PortBoxNamesTheProcessThatHoldsThePortAndOkTriesAgain) {
    std::vector<PortOpenOutcome> asked;
    backend.portOutcomes = {{PortOpenResult::PermissionDenied, "/dev/ttyUSB0", "Permission denied"}};
    start([&](const PortOpenOutcome& o) {
        asked.push_back(o);
        return PortDiagnosis{PortProblem::HeldByOther, "/dev/ttyUSB0", {"ModemManager"}, o.detail, {}};
    });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].portName, "/dev/ttyUSB0");
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    const ShownBox& box = h.boxes.shown[0];
    EXPECT_EQ(box.icon, BoxIcon::Critical);
    EXPECT_EQ(box.buttons, BoxButtons::OkCancel);
    EXPECT_EQ(box.caption, "Interface");
    EXPECT_THAT(box.text, HasSubstr("/dev/ttyUSB0 is in use by another program: ModemManager."));
    EXPECT_THAT(backend.log, ElementsAre("GetCode", "OpenInterfacePort", "OpenInterfacePort"));
}

TEST_F(DesktopWizard, PortBoxSpeaksTheUsersLanguageAndCancelEnds) {
    MessageTable table;
    table.languages = {"English", "Deutsch"};
    table.rows = {{605, {"Interface", "Schnittstelle"}},
                  {901, {"No driver.", "Kein Treiber hat das Kabel übernommen."}},
                  {902, {"Replug.", "Kabel neu einstecken."}},
                  {909, {"OK or Cancel.", "OK oder Abbrechen."}}};
    std::string error;
    QFile::remove(h.dir.filePath("FirmwareUpdate.lng"));
    ASSERT_TRUE(WriteLanguageDb(table, h.dir.filePath("FirmwareUpdate.lng").toStdString(),
                                LoadResString(ResDatabasePassword), error));
    backend.portOutcomes = {{PortOpenResult::NotFound, {}, {}}};
    h.boxes.answers = {BoxAnswer::Cancel};
    h.desktop.diagnosePort = [](const PortOpenOutcome&) {
        return PortDiagnosis{PortProblem::NoSerialDriver, {}, {}, {}, {}};
    };
    h.build(MakeSetupRecord("VOR.1H.FWR", "", "6000"));
    h.flow->setBackend(&backend);
    EXPECT_FALSE(h.window->Form_Load());
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].caption, "Schnittstelle");
    EXPECT_EQ(h.boxes.shown[0].text,
              "Kein Treiber hat das Kabel übernommen.\r\n\r\nKabel neu einstecken.\r\n\r\nOK oder Abbrechen.");
    EXPECT_EQ(h.endCalls, 1);
}

TEST_F(DesktopWizard, ComputerIsKeptAwakeExactlyWhileTheUpdateRuns) {
    start();
    int aliveDuringUpdate = -1;
    runUpdate([&] { aliveDuringUpdate = inhibitor->alive; });
    EXPECT_EQ(aliveDuringUpdate, 1);
    EXPECT_EQ(inhibitor->alive, 0);
    EXPECT_THAT(inhibitor->whys, ElementsAre("Updating the dive computer"));
}

TEST_F(DesktopWizard, CloseDuringTheUpdateReleasesTheHoldAndRecordsTheInterruption) {
    start();
    runUpdate([&] {
        h.click("CloseCmd");
        h.pump.yieldUntil(h.pump.now() + 1.0);  // the waiting command sees the program end
    });
    EXPECT_EQ(inhibitor->alive, 0);
    EXPECT_EQ(h.endCalls, 1);
    const auto files = Records(recordsDir());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_THAT(ReadFile(files[0]), HasSubstr("Outcome: Interrupted: the program was ended. "));
}

TEST_F(DesktopWizard, FailedUpdateReleasesTheHoldAndRecordsTheError) {
    start();
    runUpdate([] { throw std::runtime_error("port vanished"); });
    EXPECT_EQ(inhibitor->alive, 0);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    const auto files = Records(recordsDir());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_THAT(ReadFile(files[0]), HasSubstr("Outcome: Stopped by an error: port vanished. "));
}

TEST_F(DesktopWizard, RefusedInhibitorDoesNotStopTheUpdate) {
    inhibitor->refuse = true;
    start();
    runUpdate();
    EXPECT_THAT(backend.log, ::testing::Contains("UpdateFirmware"));
    EXPECT_EQ(Records(recordsDir()).size(), 1u);
}

TEST_F(DesktopWizard, RecoveryAtCloseIsKeptAwakeAndRecordedBesideTheUpdate) {
    start();
    const fs::path backup = recordsDir() / "6865.000042.bin";
    runUpdate([&] {
        h.state.CommError = true;
        h.state.ProfileIntact = false;
        backend.firmwareReport = {.attempted = true, .end = FirmwareEnd::Failed};
        backend.profileReport.backupFile = backup;
        std::ofstream(backup) << "profile";
    });
    int aliveDuringRecovery = -1;
    backend.onRecover = [&] {
        aliveDuringRecovery = inhibitor->alive;
        h.flow->InsertTaskList(IconInfo, "Profile written back.", "");
        h.state.ProfileIntact = true;
        backend.profileReport.writeBack = WriteBackEnd::Verified;
        fs::remove(backup);
    };
    h.click("CloseCmd");
    EXPECT_EQ(aliveDuringRecovery, 1);
    EXPECT_EQ(inhibitor->alive, 0);
    EXPECT_THAT(inhibitor->whys,
                ElementsAre("Updating the dive computer", "Writing the profile back into the dive computer"));
    const auto files = Records(recordsDir());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_THAT(ReadFile(files[0]), HasSubstr("Saved profile still to be written back: yes, in " + backup.string()));
    EXPECT_THAT(ReadFile(files[1]), HasSubstr("Attempt: Profile recovery at close\n"));
    EXPECT_THAT(ReadFile(files[1]), HasSubstr("Outcome: The update did not complete; the DC's profile was written back "
                                              "and verified.\nSaved profile still to be written back: no\n"));
}

TEST_F(DesktopWizard, AttemptRecordHoldsDateDcVersionsOutcomeAndEveryRow) {
    start();
    runUpdate([&] {
        backend.identity = "VOR WATCH 1J 512";  // read, but not parsed
        backend.firmwareReport = {.attempted = true, .end = FirmwareEnd::Updated};
        backend.profileReport.writeBack = WriteBackEnd::Verified;
    });
    const auto files = Records(recordsDir());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "task-log-2026-03-14-092653.txt");
    EXPECT_EQ(ReadFile(files[0]),
              "vor-fwupdate task log\n"
              "Date: 2026-03-14 09:26:53\n"
              "Attempt: Firmware update\n"
              "DC identity: VOR WATCH 1J 512\n"
              "DC serial number: 000042\n"
              "DC firmware at the start: 1H\n"
              "DC firmware at the end: 1J\n"
              "Firmware image: VOR.1H.FWR, version 1H\n"
              "Outcome: The DC has its new firmware; the DC's profile was written back and verified.\n"
              "Saved profile still to be written back: no\n"
              // The test's database holds only the texts the tests look up.
              "Warning: the language database lacks messages 910, 912, 922, 923: their built-in English texts were "
              "shown\n"
              "\n"
              "09:26:53  step   Reading DC identity  [Done]\n"
              "09:26:55  info   Finished without errors.\n");
}

TEST_F(DesktopWizard, RecordCarriesTheOutcomeAndTheLanguageFallbackWarning) {
    start({}, MakeSetupRecord("VOR.1H.FWR", "", "9000"));
    // The closing deep-sleep command cleared CommError: the verdict is the update's report.
    runUpdate([&] { backend.firmwareReport = {.attempted = true, .end = FirmwareEnd::Failed}; });
    const std::string warning = "language column 5 is not in the table; using column 1";
    EXPECT_THAT(h.diagnostics, ElementsAre(HasSubstr(warning)));
    EXPECT_THAT(ReadFile(Records(recordsDir())[0]),
                ::testing::AllOf(HasSubstr("Outcome: The update did not complete. "),
                                 HasSubstr("Warning: language database "), HasSubstr(warning + "\n")));
}

TEST_F(DesktopWizard, SaveLogIsInTheTaskLogsContextMenuAndWritesTheRecordsText) {
    start();
    runUpdate();
    auto* log = h.control<QTableWidget>("TaskLst");
    EXPECT_EQ(log->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(log->actions().size(), 1);
    QAction* save = log->actions().first();
    EXPECT_EQ(save->text(), "Save log...");
    savePath = (recordsDir() / "for-support.txt").string();
    save->trigger();
    ASSERT_EQ(suggestedPaths.size(), 1u);
    EXPECT_EQ(fs::path(suggestedPaths[0]).parent_path(), recordsDir());
    EXPECT_EQ(ReadFile(savePath), ReadFile(Records(recordsDir())[0]));
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(DesktopWizard, SaveLogCancelledWritesNothingAndAFailedWriteIsReported) {
    start();
    QAction* save = h.control<QTableWidget>("TaskLst")->actions().first();
    savePath.clear();
    save->trigger();
    EXPECT_TRUE(fs::is_empty(recordsDir()));
    EXPECT_TRUE(h.boxes.shown.empty());

    savePath = (recordsDir() / "no-such-folder" / "log.txt").string();
    save->trigger();
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_THAT(h.boxes.shown[0].text, HasSubstr("The task log could not be saved: " + savePath));
}

}  // namespace
}  // namespace vor::test
