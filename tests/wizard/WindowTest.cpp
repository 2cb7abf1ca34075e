// What only the Qt window does: its controls, their places from the twips table, that
// each shows what the flow says, and that each button reaches the flow.

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "flow/SetupRecord.h"
#include "flow/StepInstructions.h"
#include "flow/WindowTexts.h"
#include "tests/wizard/WizardHarness.h"
#include "wizard/TitleStrip.h"

namespace vor::test {
namespace {

using ::testing::ElementsAre;

QString Q(const std::string& text) { return QString::fromStdString(text); }

TEST(Window, ControlsHaveTheirStatesAndTwipGeometry) {
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
    EXPECT_TRUE(h.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(Window, EveryCaptionIsTheFlowsText) {
    WizardHarness h;
    ASSERT_TRUE(h.start(MakeSetupRecord("VOR.1H.FWR", "", "6000")));
    const WindowTexts texts = WindowTextsOf(*h.flow);
    EXPECT_EQ(h.window->windowTitle(), WindowTexts::BuiltInCaption);
    auto* title = h.control<TitleStrip>("XPForm");
    EXPECT_EQ(title->caption(), Q(texts.title));
    EXPECT_EQ(title->secondLine(), Q(texts.secondLine));
    EXPECT_EQ(h.control<QGroupBox>("XPFrame")->title(), "ANLEITUNG");
    EXPECT_EQ(h.button("BackCmd")->text(), Q(texts.back));
    EXPECT_EQ(h.button("NextCmd")->text(), Q(texts.next));
    EXPECT_EQ(h.button("CloseCmd")->text(), "Schließen");
    auto* log = h.control<QTableWidget>("TaskLst");
    EXPECT_EQ(log->horizontalHeaderItem(1)->text(), Q(texts.timeColumn));
    EXPECT_EQ(log->horizontalHeaderItem(2)->text(), Q(texts.eventColumn));
    EXPECT_EQ(log->horizontalHeaderItem(3)->text(), "Zustand");
}

TEST(Window, PagesShowTheFlowsTextAndTheDeepSleepPictureWhereTheFlowSays) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    auto* text = h.control<QLabel>("Lbl1");
    auto* picture = h.control<QWidget>("Image2");
    EXPECT_EQ(text->text(), Q(StepInstructions(1)));
    EXPECT_FALSE(picture->isVisible());
    h.reachDeepSleepPage();
    EXPECT_EQ(text->text(), Q(StepInstructions(2)));
    EXPECT_TRUE(picture->isVisible());
    h.click("BackCmd");
    EXPECT_EQ(text->text(), Q(StepInstructions(1)));
    EXPECT_FALSE(picture->isVisible());
}

TEST(Window, NextAndBackReachTheFlowAndTheTaskLogReplacesThePage) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.reachDeepSleepPage();
    EXPECT_TRUE(h.button("BackCmd")->isEnabled());
    bool pageHiddenDuringUpdate = false;
    h.backend.onUpdate = [&] {
        pageHiddenDuringUpdate =
            !h.control<QWidget>("XPFrame")->isVisible() && h.control<QWidget>("TaskLst")->isVisible();
        h.flow->InsertTaskList(IconError, "Upload failed", "");
        h.flow->ResetStage();
    };
    h.click("NextCmd");
    EXPECT_THAT(h.callsAfterStartUp(),
                ElementsAre("ReadIdentity", "ParseIdentity", "EnterDeepSleep", "UpdateFirmware"));
    EXPECT_TRUE(pageHiddenDuringUpdate);
    EXPECT_FALSE(h.button("NextCmd")->isEnabled());
    EXPECT_EQ(h.control<QTableWidget>("TaskLst")->rowCount(), 1);
    h.click("BackCmd");
    EXPECT_EQ(h.state.Stage, 1);
    EXPECT_TRUE(h.control<QWidget>("XPFrame")->isVisible());
    EXPECT_FALSE(h.control<QWidget>("TaskLst")->isVisible());
    EXPECT_EQ(h.control<QTableWidget>("TaskLst")->rowCount(), 0);
    EXPECT_TRUE(h.button("NextCmd")->isEnabled());
    EXPECT_FALSE(h.button("BackCmd")->isEnabled());
}

TEST(Window, TheFlowsBoxesAreTheWindowsBoxes) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.backend.deepSleepResult = false;
    h.click("NextCmd");
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].caption, WizardFlow::FixedBoxCaption);
    EXPECT_TRUE(h.frontEnd.shown.empty());
}

TEST(Window, CloseButtonRunsTheSequenceAndHidesTheWindow) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.click("CloseCmd");
    EXPECT_THAT(h.callsAfterStartUp(), ElementsAre("AbortLink", "WaitSeconds 1.000000", "ReleaseReplyBuffers"));
    EXPECT_FALSE(h.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(h.control<QWidget>("XPForm")->isVisible());
    EXPECT_TRUE(h.flow->ended());
    EXPECT_FALSE(h.window->isVisible());
}

TEST(Window, WindowCloseButtonRunsTheSameSequenceOnce) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.leavePendingBackup();
    bool topMostDuringRecovery = false;
    h.backend.onRecover = [&] { topMostDuringRecovery = h.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    h.window->close();
    h.window->close();
    EXPECT_TRUE(topMostDuringRecovery);
    EXPECT_EQ(std::count(h.backend.log.begin(), h.backend.log.end(), "ProfileRecovering"), 1);
    EXPECT_EQ(h.endCalls, 1);
}

TEST(Window, StartUpThatEndsNeverShowsTheWindow) {
    WizardHarness oneField;
    EXPECT_FALSE(oneField.start("VOR.1H.FWR"));
    EXPECT_FALSE(oneField.window->isVisible());

    WizardHarness cancelled;
    cancelled.backend.portOutcomes = {{PortOpenResult::NotFound, {}, {}}};
    cancelled.boxes.answers = {BoxAnswer::Cancel};
    EXPECT_FALSE(cancelled.start());
    EXPECT_FALSE(cancelled.window->isVisible());
    EXPECT_TRUE(cancelled.control<QLabel>("Lbl1")->text().isEmpty());
}

TEST(Window, DisagreeEndsAtOnceAndAgreeDoesNothing) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.button("AgreeCmd")->click();  // hidden below the client area, so not by mouse
    EXPECT_EQ(h.endCalls, 0);
    h.leavePendingBackup();
    h.button("DisagreeCmd")->click();
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_EQ(h.backend.log.size(), 2u);  // only the start-up calls
    EXPECT_TRUE(h.boxes.shown.empty());
}

}  // namespace
}  // namespace vor::test
