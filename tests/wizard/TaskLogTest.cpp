// The task log as the update code writes it: rows, times, status changes, pictures.

#include <QTableWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/wizard/WizardHarness.h"
#include "wizard/StatusPictures.h"

namespace vor::test {
namespace {

class TaskLog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.start()); }
    QTableWidget* list() const { return h.control<QTableWidget>("TaskLst"); }
    std::string cell(int row, int column) const { return list()->item(row, column)->text().toStdString(); }
    int picture(int row) const { return list()->item(row, 0)->data(TaskList::IconIndexRole).toInt(); }
    WizardHarness h;
};

TEST_F(TaskLog, RowTimeIsTheLocalTimeOfDayWithTwoDigitsEach) {
    h.pump.setLocalTimeBase({2026, 3, 1, 9, 5, 7});
    h.flow->InsertTaskList(IconRunning, "Reading the profile", "...");
    h.pump.setLocalTimeBase({2026, 3, 1, 14, 30, 0});
    h.flow->InsertTaskList(IconInfo, "Firmware 1H", "");
    EXPECT_EQ(cell(0, 1), "09:05:07");
    EXPECT_EQ(cell(1, 1), "14:30:00");
}

TEST_F(TaskLog, RowHoldsPictureTimeEventAndStatusInItsColumns) {
    h.flow->InsertTaskList(IconError, "Upload failed", "Failed");
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(picture(0), IconError);
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(cell(0, 2), "Upload failed");
    EXPECT_EQ(cell(0, 3), "Failed");
    EXPECT_FALSE(list()->item(0, 0)->icon().isNull());
}

TEST_F(TaskLog, SetTaskStatusChangesOnlyTheLastRow) {
    h.flow->InsertTaskList(IconInfo, "Identity", "");
    h.flow->InsertTaskList(IconRunning, "Backup", "...");
    h.flow->InsertTaskList(IconRunning, "Upload", "...");
    h.flow->SetTaskStatus("45%");
    h.flow->SetTaskStatus("100%");
    EXPECT_EQ(cell(0, 3), "");
    EXPECT_EQ(cell(1, 3), "...");
    EXPECT_EQ(cell(2, 3), "100%");
    EXPECT_EQ(cell(2, 2), "Upload");
    EXPECT_EQ(picture(2), IconRunning);
}

TEST_F(TaskLog, SetTaskStatusOnAnEmptyLogDoesNothing) {
    h.flow->SetTaskStatus("Done");
    EXPECT_EQ(list()->rowCount(), 0);
}

TEST_F(TaskLog, EveryRowAndStatusChangeReachesTheObserver) {
    std::vector<std::string> seen;
    h.window->setTaskObserver([&](const TaskRow& r, bool added) {
        seen.push_back(std::string(added ? "+" : "") + std::to_string(r.row) + "|" + std::to_string(r.iconInd) + "|" +
                       r.time + "|" + r.event + "|" + r.status);
    });
    h.pump.setLocalTimeBase({2026, 3, 1, 10, 0, 0});
    h.flow->InsertTaskList(IconRunning, "Upload", "...");
    h.flow->SetTaskStatus("Done");
    EXPECT_THAT(seen, ::testing::ElementsAre("+0|0|10:00:00|Upload|...", "0|0|10:00:00|Upload|Done"));
}

TEST_F(TaskLog, NewestRowStaysInView) {
    list()->show();
    for (int i = 0; i < 60; ++i) h.flow->InsertTaskList(IconInfo, "Block " + std::to_string(i), "");
    QTableWidgetItem* last = list()->item(59, 2);
    EXPECT_TRUE(list()->viewport()->rect().intersects(list()->visualItemRect(last)));
}

TEST_F(TaskLog, EventColumnFitsTheListAndALongRowIsReadWhole) {
    list()->show();
    const std::string longText =
        "Click Back to try again. If a saved profile still has to be written back, you "
        "will be guided through it when you click Close.";
    h.flow->InsertTaskList(IconInfo, "Done", "");
    h.flow->InsertTaskList(IconInfo, longText, "");
    int columns = 0;
    for (int c = 0; c < list()->columnCount(); ++c) columns += list()->columnWidth(c);
    EXPECT_LE(columns, list()->viewport()->width());
    EXPECT_GT(list()->rowHeight(1), list()->rowHeight(0));  // wrapped onto more lines
    EXPECT_EQ(list()->item(1, 2)->toolTip().toStdString(), longText);
}

TEST(StatusPictures, ThreePicturesAreDistinct) {
    EnsureApplication();
    const QImage running = StatusPicture(IconRunning).pixmap(16).toImage();
    const QImage info = StatusPicture(IconInfo).pixmap(16).toImage();
    const QImage error = StatusPicture(IconError).pixmap(16).toImage();
    EXPECT_FALSE(running.isNull());
    EXPECT_NE(running, info);
    EXPECT_NE(info, error);
    EXPECT_NE(running, error);
    EXPECT_TRUE(StatusPicture(7).isNull());
}

}  // namespace
}  // namespace vor::test
