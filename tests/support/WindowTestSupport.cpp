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

}  // namespace vor::test
