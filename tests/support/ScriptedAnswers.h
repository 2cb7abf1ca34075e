#pragma once
// Message boxes answered from a script instead of a person, for every test front end.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ShownBox.h"

namespace vor::test {

// Answers boxes in order from `answers`. Once they run out it answers OK, or, with
// `declineWhenOutOfAnswers`, the cautious answer (OK, Cancel, No).
class ScriptedAnswers {
public:
    BoxAnswer answer(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) {
        shown.push_back({icon, buttons, caption, text});
        if (onShow) onShow(shown.back());
        if (!answers.empty()) {
            const BoxAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        if (!declineWhenOutOfAnswers) return BoxAnswer::Ok;
        switch (buttons) {
        case BoxButtons::Ok: return BoxAnswer::Ok;
        case BoxButtons::OkCancel: return BoxAnswer::Cancel;
        case BoxButtons::YesNo: return BoxAnswer::No;
        case BoxButtons::ProfileChoice: return BoxAnswer::Undecided;
        }
        return BoxAnswer::Cancel;
    }

    std::deque<BoxAnswer> answers;
    std::vector<ShownBox> shown;
    std::function<void(const ShownBox&)> onShow;  // what the user does while reading it
    bool declineWhenOutOfAnswers = false;
};

}  // namespace vor::test
