#include <windows.h>

#include "platform/TopMostWindow.h"

namespace vor {

bool SetTopMostNativeWindow(std::uintptr_t windowHandle, bool topMost) {
    return SetWindowPos(reinterpret_cast<HWND>(windowHandle), topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != 0;
}

}  // namespace vor
