#include <windows.h>

#include "platform/TopMostWindow.h"

namespace vor {

bool SetTopMostNativeWindow(std::uintptr_t windowHandle, bool topMost) {
    // Only the Z order changes. The window is the one the diver just started or is
    // closing, so activating it takes nothing from another program.
    return SetWindowPos(reinterpret_cast<HWND>(windowHandle), topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE) != 0;
}

}  // namespace vor
