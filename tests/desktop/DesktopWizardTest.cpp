// "Save log..." in the real window: offered in the task log's context menu between two
// operations only, the file asked for, the flow's record written there.

#include <QAction>
#include <QApplication>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

#include "tests/support/TempFolder.h"
#include "tests/wizard/WizardHarness.h"

namespace vor::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class SaveLog : public ::testing::Test {
protected:
    void SetUp() override {
        h.desktop.recordFolder = [this] { return records; };
        h.askSaveLogPath = [this](const std::string& suggested) {
            suggestedPaths.push_back(suggested);
            return savePath;
        };
        ASSERT_TRUE(h.start());
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(records, ignored);
    }
    QTableWidget* log() const { return h.control<QTableWidget>("TaskLst"); }
    QAction* saveAction() const { return log()->actions().first(); }

    WizardHarness h;
    fs::path records = MakeTempFolder("vor-records");
    std::string savePath;
    std::vector<std::string> suggestedPaths;
};

TEST_F(SaveLog, IsInTheTaskLogsContextMenuAndWritesTheRecordsText) {
    h.backend.firmwareVersion = "1H";
    h.backend.onUpdate = [&] { h.flow->InsertTaskList(IconInfo, "Finished without errors.", ""); };
    h.click("NextCmd");
    EXPECT_EQ(log()->contextMenuPolicy(), Qt::CustomContextMenu);
    ASSERT_EQ(log()->actions().size(), 1);
    EXPECT_EQ(saveAction()->text(), "Save log...");
    savePath = (records / "for-support.txt").string();
    saveAction()->trigger();
    ASSERT_EQ(suggestedPaths.size(), 1u);
    EXPECT_EQ(fs::path(suggestedPaths[0]).parent_path(), records);
    fs::path record;
    for (const auto& e : fs::directory_iterator(records))
        if (e.path().filename().string().starts_with("task-log-")) record = e.path();
    EXPECT_EQ(ReadFile(savePath), ReadFile(record));
    EXPECT_THAT(ReadFile(savePath), HasSubstr("Finished without errors."));
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(SaveLog, CancelledWritesNothingAndAFailedWriteIsReported) {
    savePath.clear();
    saveAction()->trigger();
    EXPECT_TRUE(fs::is_empty(records));
    EXPECT_TRUE(h.boxes.shown.empty());

    savePath = (records / "no-such-folder" / "log.txt").string();
    saveAction()->trigger();
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_THAT(h.boxes.shown[0].text, HasSubstr("The task log could not be saved: " + savePath));
}

TEST_F(SaveLog, IsNotOfferedWhileTheFlowWaitsOnTheDc) {
    h.backend.firmwareVersion = "1H";
    bool menuOpened = false;
    h.backend.onUpdate = [&] {
        // A menu opened now would run its own loop and hold the update beneath it.
        emit log()->customContextMenuRequested(QPoint(10, 10));
        menuOpened = QApplication::activePopupWidget() != nullptr;
        savePath = (records / "during.txt").string();
        saveAction()->trigger();
    };
    h.click("NextCmd");
    EXPECT_FALSE(menuOpened);
    EXPECT_TRUE(suggestedPaths.empty());
    EXPECT_FALSE(fs::exists(records / "during.txt"));
}

}  // namespace
}  // namespace vor::test
