// What the window paints itself: the title strip (XPForm), the side banner (Image1) and
// the instruction page, a frame (XPFrame) with its text (Lbl1) over the Deep Sleep
// picture (Image2). The text runs over the picture where the page wants it to. Every
// length is the table's, or a 96-dpi length, at the window's resolution.

#include "winwizard/Twips.h"
#include "winwizard/WindowDpi.h"
#include "winwizard/WizardWindow.h"

namespace vor {

namespace {

constexpr COLORREF TitleBackground = RGB(10, 78, 196);
constexpr COLORREF TitleEdge = RGB(0, 47, 143);
constexpr COLORREF TitleText = RGB(255, 255, 255);
constexpr COLORREF FrameEdge = RGB(208, 208, 191);
constexpr COLORREF FrameTitle = RGB(0, 70, 213);
constexpr int TextInset = 8;       // between the title strip's edge and its text
constexpr int FrameTitleDrop = 7;  // the frame's line runs through the middle of its title
constexpr int FrameCorner = 8;
constexpr int FrameTitleInset = 8;
constexpr int FrameTitleMargin = 3;  // the frame's line stops short of its title

void FillWith(HDC dc, const RECT& area, COLORREF colour) {
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &area, brush);
    ::DeleteObject(brush);
}

// A picture scaled to `area`: the drawing for 96 dpi, or above that the one drawn at
// twice the size, scaled down rather than up.
void DrawPicture(HDC dc, const HBITMAP (&drawings)[2], const RECT& area, int dpi) {
    const HBITMAP picture = dpi > StandardDpi && drawings[1] ? drawings[1] : drawings[0];
    BITMAP size{};
    if (!picture || !::GetObjectW(picture, sizeof(size), &size)) return;
    const HDC source = ::CreateCompatibleDC(dc);
    const HGDIOBJ before = ::SelectObject(source, picture);
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source, 0, 0, size.bmWidth,
                 size.bmHeight, SRCCOPY);
    ::SelectObject(source, before);
    ::DeleteDC(source);
}

RECT Offset(RECT inner, const RECT& outer) {
    ::OffsetRect(&inner, outer.left, outer.top);
    return inner;
}

}  // namespace

void WizardWindow::paint(HDC dc) {
    ::SetBkMode(dc, TRANSPARENT);
    if (titleShown_) paintTitle(dc);
    DrawPicture(dc, banner_, TwipsRect(controls::Image1, dpi_), dpi_);
    if (pageShown_) paintPage(dc);
}

void WizardWindow::paintTitle(HDC dc) {
    const RECT strip = TwipsRect(controls::XPForm, dpi_);
    const int line = ScaledPixels(1, dpi_);
    const int inset = ScaledPixels(TextInset, dpi_);
    FillWith(dc, strip, TitleBackground);
    FillWith(dc, {strip.left, strip.bottom - line, strip.right, strip.bottom}, TitleEdge);
    ::SetTextColor(dc, TitleText);
    const int middle = (strip.top + strip.bottom) / 2;
    RECT caption{strip.left + inset, strip.top + line, strip.right - inset, middle + 2 * line};
    HGDIOBJ before = ::SelectObject(dc, captionFont_);
    ::DrawTextW(dc, titleCaption_.c_str(), -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT secondLine{strip.left + inset, middle + line, strip.right - inset, strip.bottom - line};
    ::SelectObject(dc, secondLineFont_);
    ::DrawTextW(dc, titleSecondLine_.c_str(), -1, &secondLine,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SelectObject(dc, before);
}

void WizardWindow::paintPage(HDC dc) {
    const RECT frame = TwipsRect(controls::XPFrame, dpi_);
    if (pictureShown_) DrawPicture(dc, deepSleep_, Offset(TwipsRect(controls::Image2, dpi_), frame), dpi_);

    // The frame's line, broken where its title stands.
    const HPEN pen = ::CreatePen(PS_SOLID, ScaledPixels(1, dpi_), FrameEdge);
    HGDIOBJ beforePen = ::SelectObject(dc, pen);
    HGDIOBJ beforeBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    const int corner = ScaledPixels(FrameCorner, dpi_);
    ::RoundRect(dc, frame.left, frame.top + ScaledPixels(FrameTitleDrop, dpi_), frame.right, frame.bottom, corner,
                corner);
    ::SelectObject(dc, beforeBrush);
    ::SelectObject(dc, beforePen);
    ::DeleteObject(pen);

    HGDIOBJ beforeFont = ::SelectObject(dc, frameFont_);
    SIZE titleSize{};
    ::GetTextExtentPoint32W(dc, frameCaption_.c_str(), static_cast<int>(frameCaption_.size()), &titleSize);
    const int titleLeft = frame.left + ScaledPixels(FrameTitleInset, dpi_);
    const RECT titleArea{titleLeft, frame.top, titleLeft + titleSize.cx + 2 * ScaledPixels(FrameTitleMargin, dpi_),
                         frame.top + titleSize.cy};
    FillWith(dc, titleArea, FormBackground);
    ::SetTextColor(dc, FrameTitle);
    RECT title = titleArea;
    ::DrawTextW(dc, frameCaption_.c_str(), -1, &title, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);

    ::SelectObject(dc, controlFont_);
    ::SetTextColor(dc, RGB(0, 0, 0));
    RECT text = Offset(TwipsRect(controls::Lbl1, dpi_), frame);
    ::DrawTextW(dc, pageText_.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, beforeFont);
}

}  // namespace vor
