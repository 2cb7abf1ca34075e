// The window's controls with their geometry (twips), captions, fonts and pictures.

#include <stdexcept>
#include <string>

#include "platform/win32/Utf16.h"
#include "session/Messages.h"
#include "winwizard/ResourceIds.h"
#include "winwizard/Twips.h"
#include "winwizard/WizardWindow.h"

namespace vor {

namespace {

constexpr const wchar_t* WindowClass = L"VorFirmwareUpdateWizard";
constexpr int ClientWidthTwips = 10185;
constexpr int ClientHeightTwips = 6840;
constexpr DWORD WindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;  // no minimize, no maximize

HFONT MakeFont(const wchar_t* face, int points, bool bold) {
    const HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return ::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

HWND MakeButton(HWND parent, int id, const wchar_t* caption, const RECT& area, HFONT font) {
    const HWND button =
        ::CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, area.left, area.top,
                          area.right - area.left, area.bottom - area.top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

}  // namespace

void WizardWindow::buildControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    background_ = ::CreateSolidBrush(FormBackground);
    icon_ = ::LoadIconW(instance, MAKEINTRESOURCEW(VOR_ICON_PROGRAM));
    banner_ = static_cast<HBITMAP>(::LoadImageW(instance, MAKEINTRESOURCEW(VOR_BITMAP_BANNER), IMAGE_BITMAP, 0, 0, 0));
    deepSleep_ =
        static_cast<HBITMAP>(::LoadImageW(instance, MAKEINTRESOURCEW(VOR_BITMAP_DEEP_SLEEP), IMAGE_BITMAP, 0, 0, 0));
    controlFont_ = MakeFont(L"MS Sans Serif", 8, false);
    frameFont_ = MakeFont(L"MS Sans Serif", 8, true);
    captionFont_ = MakeFont(L"Arial", 9, true);
    secondLineFont_ = MakeFont(L"Arial", 7, false);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon_;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = background_;
    windowClass.lpszClassName = WindowClass;
    ::RegisterClassExW(&windowClass);  // already there for a second window of the process

    RECT frame{0, 0, TwipsToPixels(ClientWidthTwips), TwipsToPixels(ClientHeightTwips)};
    ::AdjustWindowRectEx(&frame, WindowStyle, FALSE, 0);
    ::CreateWindowExW(0, WindowClass, Utf16(BuiltInCaption).c_str(), WindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!window_) throw std::runtime_error("the window could not be made, error " + std::to_string(::GetLastError()));

    // Title strip (XPForm), banner (Image1), frame (XPFrame) with its text (Lbl1) and
    // the Deep Sleep picture (Image2) are painted; the rest are controls.
    taskLst_ = std::make_unique<TaskLogView>(window_, TwipsRect(2160, 480, 7935, 5415), controlFont_, TaskLstId);
    printCmd_ = MakeButton(window_, PrintId, L"Print", TwipsRect(240, 6360, 1095, 375), controlFont_);
    backCmd_ = MakeButton(window_, BackId, L"Back", TwipsRect(4200, 6360, 1455, 375), controlFont_);
    nextCmd_ = MakeButton(window_, NextId, L"Next", TwipsRect(6000, 6360, 1455, 375), controlFont_);
    closeCmd_ = MakeButton(window_, CloseId, L"Close", TwipsRect(8640, 6360, 1455, 375), controlFont_);
    // Below the client area: the agreement page is never shown.
    agreeCmd_ = MakeButton(window_, AgreeId, L"I agree and want to proceed to the firmware update",
                           TwipsRect(2160, 8400, 5295, 375), controlFont_);
    disagreeCmd_ = MakeButton(window_, DisagreeId, L"I do not agree", TwipsRect(8040, 8400, 2175, 375), controlFont_);

    // What start-up shows: Next, a disabled Back and Close; Print stays hidden.
    ::EnableWindow(backCmd_, FALSE);
    for (const HWND shown : {backCmd_, nextCmd_, closeCmd_}) ::ShowWindow(shown, SW_SHOW);
    titleCaption_ = Utf16(BuiltInCaption);
}

void WizardWindow::applyCaptions() {
    std::wstring frame = Utf16(textOr(Msg::FrameCaption, "Instructions"));
    ::CharUpperBuffW(frame.data(), static_cast<DWORD>(frame.size()));
    frameCaption_ = frame;
    setText(backCmd_, textOr(Msg::BackCaption, "Back"));
    setText(closeCmd_, textOr(Msg::CloseCaption, "Close"));
    setText(nextCmd_, textOr(Msg::NextCaption, "Next"));
    boxes_.setChoiceLabels(textOr(Msg::UseSavedProfile, "Write the saved profile back"),
                           textOr(Msg::KeepDcProfile, "Keep the DC's profile"));
    taskLst_->setColumnTitles(textOr(Msg::TimeColumn, "Time"), textOr(Msg::EventColumn, "Event"),
                              textOr(Msg::StatusColumn, "Status"));
}

}  // namespace vor
