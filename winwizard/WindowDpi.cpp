#include "winwizard/WindowDpi.h"

namespace vor {

namespace {

template <typename Function>
Function UserFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int WindowDpi(HWND window) {
    static const auto forWindow = UserFunction<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (forWindow && window)
        if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE FrameSize(SIZE client, DWORD style, int dpi) {
    static const auto forDpi = UserFunction<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    if (!forDpi || !forDpi(&frame, style, FALSE, 0, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace vor
