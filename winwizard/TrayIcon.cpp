#include "winwizard/TrayIcon.h"

#include <algorithm>

#include "platform/win32/Utf16.h"

namespace vor {

bool TrayIcon::add(HWND window, HICON icon, const std::string& tip) {
    remove();
    data_ = {};
    data_.cbSize = sizeof(data_);
    data_.hWnd = window;
    data_.uID = 1;
    data_.uFlags = NIF_ICON | NIF_TIP;
    data_.hIcon = icon;
    const std::wstring text = Utf16(tip);
    const std::size_t length = std::min(text.size(), std::size(data_.szTip) - 1);
    std::copy_n(text.begin(), length, data_.szTip);
    shown_ = ::Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    return shown_;
}

void TrayIcon::remove() {
    if (!shown_) return;
    ::Shell_NotifyIconW(NIM_DELETE, &data_);
    shown_ = false;
}

}  // namespace vor
