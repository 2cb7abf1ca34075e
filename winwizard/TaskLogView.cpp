#include "winwizard/TaskLogView.h"

#include "platform/win32/Utf16.h"
#include "session/WizardServices.h"
#include "winwizard/ResourceIds.h"
#include "winwizard/WindowDpi.h"

namespace vor {

namespace {

// The picture, time, event and status columns at 96 dpi; the event column takes what
// the others leave of the list's width.
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

TaskLogView::TaskLogView(HWND parent, int controlId) {
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), ::GetModuleHandleW(nullptr),
                              nullptr);
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNW item{};
        item.mask = LVCF_TEXT;
        wchar_t empty[] = L"";
        item.pszText = empty;
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    setColumnTitles("Time", "Event", "Status");
}

void TaskLogView::layOut(const RECT& area, HFONT font, int dpi) {
    dpi_ = dpi;
    ::MoveWindow(list_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    // In the order of the picture numbers the task log uses, drawn for the size.
    const int pictureSize = ScaledPixels(PictureSize, dpi);
    const HIMAGELIST before = pictures_;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    pictures_ = ::ImageList_Create(pictureSize, pictureSize, ILC_COLOR32 | ILC_MASK, 3, 0);
    for (const int icon : {VOR_ICON_STATUS_RUNNING, VOR_ICON_STATUS_INFO, VOR_ICON_STATUS_ERROR}) {
        const auto picture = static_cast<HICON>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, pictureSize, pictureSize, LR_DEFAULTCOLOR));
        ::ImageList_AddIcon(pictures_, picture);
        ::DestroyIcon(picture);
    }
    ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(pictures_));
    if (before) ::ImageList_Destroy(before);

    RECT inside;
    ::GetClientRect(list_, &inside);
    const int widths[] = {ScaledPixels(PictureWidth, dpi), ScaledPixels(TimeWidth, dpi), 0,
                          ScaledPixels(StatusWidth, dpi)};
    const int eventWidth = (inside.right - inside.left) - widths[0] - widths[1] - widths[3];
    for (int column = 0; column < 4; ++column)
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                       column == EventColumn ? eventWidth : widths[column]);

    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    lastTask_ = -1;
    for (const Task& task : tasks_) addRows(task);
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
    const int width = static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(EventColumn), 0)) -
                      ScaledPixels(CellMargin, dpi_);
    const HDC dc = ::GetDC(list_);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    std::vector<std::wstring> lines = LinesInWidth(dc, font, width, text);
    ::ReleaseDC(list_, dc);
    return lines;
}

void TaskLogView::appendRow(int picture, const std::string& time, const std::string& event, const std::string& status) {
    tasks_.push_back({picture, time, event, status});
    addRows(tasks_.back());
}

void TaskLogView::addRows(const Task& task) {
    int added = -1;
    for (const std::wstring& line : eventLines(Utf16(task.event))) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE | LVIF_TEXT;
        item.iItem = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        wchar_t empty[] = L"";
        item.pszText = empty;
        item.iImage = added < 0 ? task.picture : I_IMAGENONE;
        const auto row = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        std::wstring text = line;
        LVITEMW cell{};
        cell.iSubItem = EventColumn;
        cell.pszText = text.data();
        ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        if (added < 0) {
            added = row;
            SetCell(list_, row, 1, task.time);
            SetCell(list_, row, 3, task.status);
        }
        // The newest row stays in view.
        ::SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    }
    lastTask_ = added;
}

void TaskLogView::setLastStatus(const std::string& status) {
    if (lastTask_ < 0) return;
    tasks_.back().status = status;
    SetCell(list_, lastTask_, 3, status);
}

void TaskLogView::clear() {
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    tasks_.clear();
    lastTask_ = -1;
}

}  // namespace vor
