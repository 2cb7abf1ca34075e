#include "winwizard/TaskLogView.h"

#include "platform/win32/Utf16.h"
#include "session/WizardServices.h"
#include "winwizard/ResourceIds.h"

namespace vor {

namespace {

// The picture, time, event and status columns; the event column takes what the
// others leave of the list's width.
constexpr int PictureWidth = 32;
constexpr int TimeWidth = 60;
constexpr int StatusWidth = 80;
constexpr int PictureSize = 16;
constexpr int EventColumn = 2;
constexpr int CellMargin = 12;  // the list view's space left and right of a cell's text

void SetColumnTitle(HWND list, int column, const std::string& title) {
    std::wstring text = Utf16(title);
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    item.pszText = text.data();
    ::SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
}

void SetCell(HWND list, int row, int column, const std::string& value) {
    std::wstring text = Utf16(value);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

TaskLogView::TaskLogView(HWND parent, const RECT& area, HFONT font, int controlId) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, area.left,
                              area.top, area.right - area.left, area.bottom - area.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    // In the order of the picture numbers the task log uses.
    pictures_ = ::ImageList_Create(PictureSize, PictureSize, ILC_COLOR32 | ILC_MASK, 3, 0);
    for (const int icon : {VOR_ICON_STATUS_RUNNING, VOR_ICON_STATUS_INFO, VOR_ICON_STATUS_ERROR}) {
        const auto picture = static_cast<HICON>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, PictureSize, PictureSize, LR_DEFAULTCOLOR));
        ::ImageList_AddIcon(pictures_, picture);
        ::DestroyIcon(picture);
    }
    ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(pictures_));

    RECT inside;
    ::GetClientRect(list_, &inside);
    const int eventWidth = (inside.right - inside.left) - PictureWidth - TimeWidth - StatusWidth;
    const int widths[] = {PictureWidth, TimeWidth, eventWidth, StatusWidth};
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNW item{};
        item.mask = LVCF_WIDTH | LVCF_TEXT;
        item.cx = widths[column];
        wchar_t empty[] = L"";
        item.pszText = empty;
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    setColumnTitles("Time", "Event", "Status");
}

TaskLogView::~TaskLogView() {
    if (list_) ::DestroyWindow(list_);
    if (pictures_) ::ImageList_Destroy(pictures_);
}

void TaskLogView::setColumnTitles(const std::string& time, const std::string& event, const std::string& status) {
    SetColumnTitle(list_, 1, time);
    SetColumnTitle(list_, 2, event);
    SetColumnTitle(list_, 3, status);
}

std::vector<std::wstring> LinesInWidth(HDC dc, HFONT font, int width, const std::wstring& text) {
    const HGDIOBJ before = ::SelectObject(dc, font);
    const auto fits = [dc, width](const std::wstring& line) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        return size.cx <= width;
    };
    std::vector<std::wstring> lines;
    std::wstring line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t blank = text.find(L' ', at + 1);
        const std::wstring word = text.substr(at, blank == std::wstring::npos ? std::wstring::npos : blank - at);
        if (fits(line + word)) {
            line += word;
            at += word.size();
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
            line.clear();
            while (at < text.size() && text[at] == L' ') ++at;  // a new line starts with its word
            continue;
        }
        std::size_t take = 1;
        while (take < word.size() && fits(word.substr(0, take + 1))) ++take;
        lines.push_back(word.substr(0, take));
        at += take;
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    ::SelectObject(dc, before);
    return lines;
}

std::vector<std::wstring> TaskLogView::eventLines(const std::wstring& text) const {
    const int width =
        static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(EventColumn), 0)) - CellMargin;
    const HDC dc = ::GetDC(list_);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    std::vector<std::wstring> lines = LinesInWidth(dc, font, width, text);
    ::ReleaseDC(list_, dc);
    return lines;
}

void TaskLogView::appendRow(int picture, const std::string& time, const std::string& event, const std::string& status) {
    int added = -1;
    for (const std::wstring& line : eventLines(Utf16(event))) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE | LVIF_TEXT;
        item.iItem = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        wchar_t empty[] = L"";
        item.pszText = empty;
        item.iImage = added < 0 ? picture : I_IMAGENONE;
        const auto row = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        std::wstring text = line;
        LVITEMW cell{};
        cell.iSubItem = EventColumn;
        cell.pszText = text.data();
        ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        if (added < 0) {
            added = row;
            SetCell(list_, row, 1, time);
            SetCell(list_, row, 3, status);
        }
        // The newest row stays in view.
        ::SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    }
    lastTask_ = added;
}

void TaskLogView::setLastStatus(const std::string& status) {
    if (lastTask_ >= 0) SetCell(list_, lastTask_, 3, status);
}

void TaskLogView::clear() {
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    lastTask_ = -1;
}

}  // namespace vor
