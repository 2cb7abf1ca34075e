#pragma once
// A control's box in twips as a Win32 rectangle.

#include <windows.h>

#include "flow/WindowLayout.h"

namespace vor {

inline RECT TwipsRect(const TwipsBox& box) {
    const int x = TwipsToPixels(box.left);
    const int y = TwipsToPixels(box.top);
    return {x, y, x + TwipsToPixels(box.width), y + TwipsToPixels(box.height)};
}

}  // namespace vor
