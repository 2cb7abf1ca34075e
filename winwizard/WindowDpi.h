#pragma once
// The resolution a window is drawn at, and its frame at that resolution. A Windows
// older than 10 (1607) knows one resolution for the whole desktop.

#include <windows.h>

#include "flow/WindowLayout.h"

namespace vor {

int WindowDpi(HWND window);

// The outer size of a window of `style` whose client area is `client`, at `dpi`.
SIZE FrameSize(SIZE client, DWORD style, int dpi);

// A length drawn as `pixels` at 96 dpi, at `dpi`.
inline int ScaledPixels(int pixels, int dpi) { return ::MulDiv(pixels, dpi, StandardDpi); }

}  // namespace vor
