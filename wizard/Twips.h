#pragma once
// Control geometry is given in twips: 1/1440 inch, 15 twips to a pixel at 96 dpi.
// Qt scales the pixel values on high-dpi screens.

#include <QRect>

namespace vor {

constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

}  // namespace vor
