// "Save log..." in the task log's context menu: the record of the attempt so far, in a
// file the user picks.

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>
#include <windowsx.h>

#include <string>

#include "platform/win32/Utf16.h"
#include "session/Messages.h"
#include "winwizard/WizardWindow.h"

namespace vor {

namespace {

constexpr UINT SaveLogItem = 1;

}  // namespace

void WizardWindow::offerSaveLog(LPARAM screenPoint) {
    const HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, SaveLogItem, Utf16(WindowTextsOf(flow_).saveLogAction).c_str());
    POINT at{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (at.x == -1 && at.y == -1) {  // from the keyboard: at the list's corner
        at = {0, 0};
        ::ClientToScreen(taskLst_->handle(), &at);
    }
    const auto chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
    ::DestroyMenu(menu);
    if (chosen == SaveLogItem) saveLog();
}

void WizardWindow::saveLog() {
    if (flow_.ended()) return;
    std::wstring file = flow_.RecordPathSuggestion().wstring();
    file.resize(MAX_PATH * 4, L'\0');
    const std::wstring caption = Utf16(WindowTextsOf(flow_).saveLogCaption);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files\0*.*\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = caption.c_str();
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&dialog)) {
        if (const DWORD error = ::CommDlgExtendedError(); error != 0)
            boxes_.show(window_, BoxIcon::Critical, BoxButtons::Ok, WizardFlow::FixedBoxCaption,
                        "The file dialog could not be shown, error " + std::to_string(error) + ".");
        return;  // else cancelled
    }
    file.resize(file.find(L'\0'));
    flow_.SaveRecordAs(Utf8(file));
}

}  // namespace vor
