#pragma once
// Control geometry is given in twips: 1/1440 inch, 15 twips to a pixel at 96 dpi.

#include <windows.h>

namespace vor {

constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }

inline RECT TwipsRect(int left, int top, int width, int height) {
    const int x = TwipsToPixels(left);
    const int y = TwipsToPixels(top);
    return {x, y, x + TwipsToPixels(width), y + TwipsToPixels(height)};
}

}  // namespace vor
