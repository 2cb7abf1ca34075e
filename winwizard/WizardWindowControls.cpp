// The window's controls with their geometry (twips), captions, fonts and pictures.

#include <stdexcept>
#include <string>

#include "platform/win32/Utf16.h"
#include "flow/WindowTexts.h"
#include "winwizard/ResourceIds.h"
#include "winwizard/Twips.h"
#include "winwizard/WizardWindow.h"

namespace vor {

namespace {

constexpr const wchar_t* WindowClass = L"VorFirmwareUpdateWizard";
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

    RECT frame{0, 0, TwipsToPixels(controls::Client.width), TwipsToPixels(controls::Client.height)};
    ::AdjustWindowRectEx(&frame, WindowStyle, FALSE, 0);
    ::CreateWindowExW(0, WindowClass, Utf16(WindowTexts::BuiltInCaption).c_str(), WindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                      this);
    if (!window_) throw std::runtime_error("the window could not be made, error " + std::to_string(::GetLastError()));

    // Title strip (XPForm), banner (Image1), frame (XPFrame) with its text (Lbl1) and
    // the Deep Sleep picture (Image2) are painted; the rest are controls.
    taskLst_ = std::make_unique<TaskLogView>(window_, TwipsRect(controls::TaskLst), controlFont_, TaskLstId);
    printCmd_ = MakeButton(window_, PrintId, L"Print", TwipsRect(controls::PrintCmd), controlFont_);
    backCmd_ = MakeButton(window_, BackId, L"Back", TwipsRect(controls::BackCmd), controlFont_);
    nextCmd_ = MakeButton(window_, NextId, L"Next", TwipsRect(controls::NextCmd), controlFont_);
    closeCmd_ = MakeButton(window_, CloseId, L"Close", TwipsRect(controls::CloseCmd), controlFont_);
    agreeCmd_ = MakeButton(window_, AgreeId, L"I agree and want to proceed to the firmware update",
                           TwipsRect(controls::AgreeCmd), controlFont_);
    disagreeCmd_ = MakeButton(window_, DisagreeId, L"I do not agree", TwipsRect(controls::DisagreeCmd), controlFont_);

    // What start-up shows: Next, a disabled Back and Close; Print stays hidden.
    ::EnableWindow(backCmd_, FALSE);
    for (const HWND shown : {backCmd_, nextCmd_, closeCmd_}) ::ShowWindow(shown, SW_SHOW);
    titleCaption_ = Utf16(WindowTexts::BuiltInCaption);
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
