#include <QWidget>
#include <windows.h>

#include "platform/WindowPlacement.h"

namespace vor {

void SetTopMost(QWidget* window, bool topMost) {
    window->setAttribute(Qt::WA_NativeWindow);
    HWND hwnd = reinterpret_cast<HWND>(window->winId());
    SetWindowPos(hwnd, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace vor
