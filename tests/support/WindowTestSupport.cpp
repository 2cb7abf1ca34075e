#include "tests/support/WindowTestSupport.h"

#include <QApplication>

namespace vor::test {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "vor_window_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        a->setQuitOnLastWindowClosed(false);
        return a;
    }();
    (void)app;
}

BoxAnswer ScriptedBoxes::show(QWidget*, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                              const std::string& text) {
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

}  // namespace vor::test
