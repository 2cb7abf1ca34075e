// What the window paints itself: the title strip (XPForm), the side banner (Image1) and
// the instruction page, a frame (XPFrame) with its text (Lbl1) over the Deep Sleep
// picture (Image2). The text runs over the picture where the page wants it to.

#include "winwizard/Twips.h"
#include "winwizard/WizardWindow.h"

namespace vor {

namespace {

constexpr COLORREF TitleBackground = RGB(10, 78, 196);
constexpr COLORREF TitleEdge = RGB(0, 47, 143);
constexpr COLORREF TitleText = RGB(255, 255, 255);
constexpr COLORREF FrameEdge = RGB(208, 208, 191);
constexpr COLORREF FrameTitle = RGB(0, 70, 213);
constexpr int TextInset = 8;       // pixels between the title strip's edge and its text
constexpr int FrameTitleDrop = 7;  // the frame's line runs through the middle of its title

void FillWith(HDC dc, const RECT& area, COLORREF colour) {
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &area, brush);
    ::DeleteObject(brush);
}

void DrawPicture(HDC dc, HBITMAP picture, const RECT& area) {
    if (!picture) return;
    BITMAP size{};
    ::GetObjectW(picture, sizeof(size), &size);
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
    DrawPicture(dc, banner_, TwipsRect(controls::Image1));
    if (pageShown_) paintPage(dc);
}

void WizardWindow::paintTitle(HDC dc) {
    const RECT strip = TwipsRect(controls::XPForm);
    FillWith(dc, strip, TitleBackground);
    FillWith(dc, {strip.left, strip.bottom - 1, strip.right, strip.bottom}, TitleEdge);
    ::SetTextColor(dc, TitleText);
    const int middle = (strip.top + strip.bottom) / 2;
    RECT caption{strip.left + TextInset, strip.top + 1, strip.right - TextInset, middle + 2};
    HGDIOBJ before = ::SelectObject(dc, captionFont_);
    ::DrawTextW(dc, titleCaption_.c_str(), -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT secondLine{strip.left + TextInset, middle + 1, strip.right - TextInset, strip.bottom - 1};
    ::SelectObject(dc, secondLineFont_);
    ::DrawTextW(dc, titleSecondLine_.c_str(), -1, &secondLine,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SelectObject(dc, before);
}

void WizardWindow::paintPage(HDC dc) {
    const RECT frame = TwipsRect(controls::XPFrame);
    if (pictureShown_) DrawPicture(dc, deepSleep_, Offset(TwipsRect(controls::Image2), frame));

    // The frame's line, broken where its title stands.
    const HPEN pen = ::CreatePen(PS_SOLID, 1, FrameEdge);
    HGDIOBJ beforePen = ::SelectObject(dc, pen);
    HGDIOBJ beforeBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, frame.left, frame.top + FrameTitleDrop, frame.right, frame.bottom, 8, 8);
    ::SelectObject(dc, beforeBrush);
    ::SelectObject(dc, beforePen);
    ::DeleteObject(pen);

    HGDIOBJ beforeFont = ::SelectObject(dc, frameFont_);
    SIZE titleSize{};
    ::GetTextExtentPoint32W(dc, frameCaption_.c_str(), static_cast<int>(frameCaption_.size()), &titleSize);
    const RECT titleArea{frame.left + 8, frame.top, frame.left + 8 + titleSize.cx + 6, frame.top + titleSize.cy};
    FillWith(dc, titleArea, FormBackground);
    ::SetTextColor(dc, FrameTitle);
    RECT title = titleArea;
    ::DrawTextW(dc, frameCaption_.c_str(), -1, &title, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);

    ::SelectObject(dc, controlFont_);
    ::SetTextColor(dc, RGB(0, 0, 0));
    RECT text = Offset(TwipsRect(controls::Lbl1), frame);
    ::DrawTextW(dc, pageText_.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, beforeFont);
}

}  // namespace vor
