#pragma once
// Where the wizard window's controls stand, in twips (1/1440 inch, 15 to a pixel at
// 96 dpi): the same for every window that shows the flow. Each window turns a box
// into its own rectangle, at the resolution of the screen it stands on.

namespace vor {

struct TwipsBox {
    int left;
    int top;
    int width;
    int height;
};

constexpr int TwipsPerInch = 1440;
constexpr int StandardDpi = 96;

// Pixels of `twips` at `dpi` dots per inch, to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi = StandardDpi) {
    return (twips * dpi + TwipsPerInch / 2) / TwipsPerInch;
}

namespace controls {

constexpr TwipsBox Client{0, 0, 10185, 6840};
constexpr TwipsBox XPForm{0, 0, 10185, 450};  // the title strip
constexpr TwipsBox Image1{0, 480, 2115, 5370};
constexpr TwipsBox XPFrame{2160, 480, 7935, 5415};
constexpr TwipsBox Lbl1{120, 240, 7695, 5055};    // within XPFrame
constexpr TwipsBox Image2{840, 240, 5835, 2610};  // within XPFrame, under Lbl1
constexpr TwipsBox TaskLst{2160, 480, 7935, 5415};
constexpr TwipsBox PrintCmd{240, 6360, 1095, 375};
constexpr TwipsBox BackCmd{4200, 6360, 1455, 375};
constexpr TwipsBox NextCmd{6000, 6360, 1455, 375};
constexpr TwipsBox CloseCmd{8640, 6360, 1455, 375};
// Below the client area: the agreement page is never shown.
constexpr TwipsBox AgreeCmd{2160, 8400, 5295, 375};
constexpr TwipsBox DisagreeCmd{8040, 8400, 2175, 375};

}  // namespace controls

}  // namespace vor
