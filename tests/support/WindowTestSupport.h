#pragma once
// What every test of the real window needs: one offscreen QApplication, and message
// boxes answered from a script instead of a person.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ShownBox.h"
#include "wizard/BoxPresenter.h"

namespace vor::test {

// Creates the offscreen QApplication once per test process.
void EnsureApplication();

// Answers boxes in order from `answers`. Once they run out it answers OK, or, with
// `declineWhenOutOfAnswers`, the cautious answer (OK, Cancel, No).
class ScriptedBoxes : public BoxPresenter {
public:
    BoxAnswer show(QWidget* owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                   const std::string& text) override;
    std::deque<BoxAnswer> answers;
    std::vector<ShownBox> shown;
    std::function<void(const ShownBox&)> onShow;  // what the user does while reading it
    bool declineWhenOutOfAnswers = false;
};

}  // namespace vor::test
