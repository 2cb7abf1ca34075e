#pragma once
// The notification-area icon while the program runs, with the window's caption as tip.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

namespace vor {

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // False when the shell has no notification area (the program runs on without it).
    bool add(HWND window, HICON icon, const std::string& tip);
    void remove();

private:
    NOTIFYICONDATAW data_{};
    bool shown_ = false;
};

}  // namespace vor
