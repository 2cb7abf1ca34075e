#pragma once
// What every test of the real window needs: one offscreen QApplication, and message
// boxes answered from a script instead of a person.

#include <string>

#include "tests/support/ScriptedAnswers.h"
#include "wizard/BoxPresenter.h"

namespace vor::test {

// Creates the offscreen QApplication once per test process.
void EnsureApplication();

// The window's boxes, answered from the script.
class ScriptedBoxes : public BoxPresenter, public ScriptedAnswers {
public:
    BoxAnswer show(QWidget*, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                   const std::string& text) override {
        return answer(icon, buttons, caption, text);
    }
};

}  // namespace vor::test
