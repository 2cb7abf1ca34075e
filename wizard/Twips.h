#pragma once
// A control's box in twips as Qt's rectangle; Qt scales the pixel values on high-dpi
// screens.

#include <QRect>

#include "flow/WindowLayout.h"

namespace vor {

inline QRect TwipsRect(const TwipsBox& box) {
    return {TwipsToPixels(box.left), TwipsToPixels(box.top), TwipsToPixels(box.width), TwipsToPixels(box.height)};
}

}  // namespace vor
