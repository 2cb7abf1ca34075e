// The window's real message boxes, answered by pressing their real buttons (or Escape).
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"
#include "wizard/BoxPresenter.h"

namespace vor::test {
namespace {

struct BoxPress {
    const char* name;
    BoxButtons buttons;
    const char* press;  // the button's text; nullptr: Escape
    BoxAnswer answer;
};

class RealBox : public ::testing::TestWithParam<BoxPress> {};

TEST_P(RealBox, PressingAButtonGivesItsAnswer) {
    EnsureApplication();
    const BoxPress& row = GetParam();
    QtBoxPresenter boxes;
    boxes.setChoiceLabels("Saved one back", "Keep the DC's");
    QTimer::singleShot(0, [&row] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (!row.press) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove('&') == QString::fromUtf8(row.press)) return button->click();
        ADD_FAILURE() << "no button " << row.press;
        box->done(0);
    });
    EXPECT_EQ(boxes.show(nullptr, BoxIcon::Question, row.buttons, "caption", "text"), row.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Desktop, RealBox,
    ::testing::Values(BoxPress{"OkCancelEscapeIsCancel", BoxButtons::OkCancel, nullptr, BoxAnswer::Cancel},
                      BoxPress{"YesNoEscapeIsNo", BoxButtons::YesNo, nullptr, BoxAnswer::No},
                      BoxPress{"ChoiceUseSaved", BoxButtons::ProfileChoice, "Saved one back", BoxAnswer::UseSaved},
                      BoxPress{"ChoiceKeepDc", BoxButtons::ProfileChoice, "Keep the DC's", BoxAnswer::KeepDc},
                      // Closing the question chooses nothing: the DC keeps what it holds.
                      BoxPress{"ChoiceEscapeLeavesItOpen", BoxButtons::ProfileChoice, nullptr, BoxAnswer::Undecided},
                      BoxPress{"ChoiceCancelLeavesItOpen", BoxButtons::ProfileChoice, "Cancel", BoxAnswer::Undecided}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vor::test
