#include <QWidget>

#include "platform/TopMostWindow.h"
#include "platform/WindowPlacement.h"

namespace vor {

void SetTopMost(QWidget* window, bool topMost) {
    window->setAttribute(Qt::WA_NativeWindow);
    SetTopMostNativeWindow(static_cast<std::uintptr_t>(window->winId()), topMost);
}

}  // namespace vor
