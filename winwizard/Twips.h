#pragma once
// A control's box in twips as a Win32 rectangle at a window's resolution.

#include <windows.h>

#include "flow/WindowLayout.h"

namespace vor {

inline RECT TwipsRect(const TwipsBox& box, int dpi) {
    const int x = TwipsToPixels(box.left, dpi);
    const int y = TwipsToPixels(box.top, dpi);
    return {x, y, x + TwipsToPixels(box.width, dpi), y + TwipsToPixels(box.height, dpi)};
}

}  // namespace vor
