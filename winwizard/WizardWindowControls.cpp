// The window's controls with their geometry (twips, at the window's resolution),
// captions, fonts and pictures.

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/win32/Utf16.h"
#include "flow/WindowTexts.h"
#include "winwizard/ResourceIds.h"
#include "winwizard/Twips.h"
#include "winwizard/WindowDpi.h"
#include "winwizard/WizardWindow.h"

namespace vor {

namespace {

constexpr const wchar_t* WindowClass = L"VorFirmwareUpdateWizard";
constexpr DWORD WindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;  // no minimize, no maximize

HFONT MakeFont(const wchar_t* face, int points, bool bold, int dpi) {
    return ::CreateFontW(-::MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, face);
}

HWND MakeButton(HWND parent, int id, const wchar_t* caption) {
    return ::CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

HBITMAP LoadPicture(HINSTANCE instance, int id) {
    return static_cast<HBITMAP>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

}  // namespace

void WizardWindow::buildControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    background_ = ::CreateSolidBrush(FormBackground);
    icon_ = ::LoadIconW(instance, MAKEINTRESOURCEW(VOR_ICON_PROGRAM));
    banner_[0] = LoadPicture(instance, VOR_BITMAP_BANNER);
    banner_[1] = LoadPicture(instance, VOR_BITMAP_BANNER_LARGE);
    deepSleep_[0] = LoadPicture(instance, VOR_BITMAP_DEEP_SLEEP);
    deepSleep_[1] = LoadPicture(instance, VOR_BITMAP_DEEP_SLEEP_LARGE);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon_;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = background_;
    windowClass.lpszClassName = WindowClass;
    ::RegisterClassExW(&windowClass);  // already there for a second window of the process

    // Placed by the system; layOut() sizes it for the screen it stands on.
    ::CreateWindowExW(0, WindowClass, Utf16(WindowTexts::BuiltInCaption).c_str(), WindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window_) throw std::runtime_error("the window could not be made, error " + std::to_string(::GetLastError()));
    // The class of an earlier window of the process may hold its brush, gone with it.
    ::SetClassLongPtrW(window_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(background_));

    // Title strip (XPForm), banner (Image1), frame (XPFrame) with its text (Lbl1) and
    // the Deep Sleep picture (Image2) are painted; the rest are controls.
    taskLst_ = std::make_unique<TaskLogView>(window_, TaskLstId);
    printCmd_ = MakeButton(window_, PrintId, L"Print");
    backCmd_ = MakeButton(window_, BackId, L"Back");
    nextCmd_ = MakeButton(window_, NextId, L"Next");
    closeCmd_ = MakeButton(window_, CloseId, L"Close");
    agreeCmd_ = MakeButton(window_, AgreeId, L"I agree and want to proceed to the firmware update");
    disagreeCmd_ = MakeButton(window_, DisagreeId, L"I do not agree");
    layOut(WindowDpi(window_), nullptr);

    // What start-up shows: Next, a disabled Back and Close; Print stays hidden.
    ::EnableWindow(backCmd_, FALSE);
    for (const HWND shown : {backCmd_, nextCmd_, closeCmd_}) ::ShowWindow(shown, SW_SHOW);
    titleCaption_ = Utf16(WindowTexts::BuiltInCaption);
}

void WizardWindow::layOut(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    const HGDIOBJ oldFonts[] = {controlFont_, frameFont_, captionFont_, secondLineFont_};
    controlFont_ = MakeFont(L"MS Sans Serif", 8, false, dpi);
    frameFont_ = MakeFont(L"MS Sans Serif", 8, true, dpi);
    captionFont_ = MakeFont(L"Arial", 9, true, dpi);
    secondLineFont_ = MakeFont(L"Arial", 7, false, dpi);

    const SIZE client{TwipsToPixels(controls::Client.width, dpi), TwipsToPixels(controls::Client.height, dpi)};
    const SIZE frame = FrameSize(client, WindowStyle, dpi);
    // The suggested place keeps the window under the mouse that moved it; the size is
    // the table's, so no rounding of the system's changes a control's box.
    ::SetWindowPos(window_, nullptr, suggested ? suggested->left : 0, suggested ? suggested->top : 0, frame.cx,
                   frame.cy, SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE));
    // A frame drawn otherwise than the system computed it (a theme, Wine) is made good.
    RECT inside{};
    ::GetClientRect(window_, &inside);
    if (inside.right != client.cx || inside.bottom != client.cy)
        ::SetWindowPos(window_, nullptr, 0, 0, frame.cx + client.cx - inside.right,
                       frame.cy + client.cy - inside.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    const std::pair<HWND, TwipsBox> buttons[] = {
        {printCmd_, controls::PrintCmd}, {backCmd_, controls::BackCmd},   {nextCmd_, controls::NextCmd},
        {closeCmd_, controls::CloseCmd}, {agreeCmd_, controls::AgreeCmd}, {disagreeCmd_, controls::DisagreeCmd}};
    for (const auto& [button, box] : buttons) {
        const RECT area = TwipsRect(box, dpi);
        ::MoveWindow(button, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont_), TRUE);
    }
    taskLst_->layOut(TwipsRect(controls::TaskLst, dpi), controlFont_, dpi);
    for (const HGDIOBJ font : oldFonts)
        if (font) ::DeleteObject(font);
    ::InvalidateRect(window_, nullptr, TRUE);
}

void WizardWindow::applyCaptions(const WindowTexts& texts) {
    std::wstring frame = Utf16(texts.frame);
    ::CharUpperBuffW(frame.data(), static_cast<DWORD>(frame.size()));
    frameCaption_ = frame;
    titleCaption_ = Utf16(texts.title);
    titleSecondLine_ = Utf16(texts.secondLine);
    setText(backCmd_, texts.back);
    setText(closeCmd_, texts.close);
    setText(nextCmd_, texts.next);
    boxes_.setChoiceLabels(texts.useSaved, texts.keepDc);
    taskLst_->setColumnTitles(texts.timeColumn, texts.eventColumn, texts.statusColumn);
}

}  // namespace vor
