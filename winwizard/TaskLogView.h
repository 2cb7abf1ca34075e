#pragma once
// The task log as a list view in report view: the status picture, time, event and
// status columns, one task per row. A list view cannot wrap a cell, so an event wider
// than its column goes on in rows of its own below (no picture, time or status),
// broken between words: the whole text can be read without a mouse, as the Qt window
// wraps it.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <vector>

#include "flow/WindowLayout.h"

namespace vor {

// `text` broken between words into lines no wider than `width` pixels in `font` on
// `dc` (a word wider than a line alone is broken where it must); joined with blanks
// they give the text again.
std::vector<std::wstring> LinesInWidth(HDC dc, HFONT font, int width, const std::wstring& text);

class TaskLogView {
public:
    // A hidden list view child of `parent`; layOut() gives it its place.
    TaskLogView(HWND parent, int controlId);
    ~TaskLogView();
    TaskLogView(const TaskLogView&) = delete;
    TaskLogView& operator=(const TaskLogView&) = delete;

    HWND handle() const { return list_; }
    // Puts the list in `area` with `font`, its pictures and columns sized for `dpi`,
    // and breaks the rows again for the event column's new width.
    void layOut(const RECT& area, HFONT font, int dpi);
    void setColumnTitles(const std::string& time, const std::string& event, const std::string& status);
    void appendRow(int picture, const std::string& time, const std::string& event, const std::string& status);
    void setLastStatus(const std::string& status);
    void clear();

private:
    struct Task {
        int picture;
        std::string time;
        std::string event;
        std::string status;
    };
    std::vector<std::wstring> eventLines(const std::wstring& text) const;
    void addRows(const Task& task);

    HWND list_ = nullptr;
    HIMAGELIST pictures_ = nullptr;
    std::vector<Task> tasks_;  // what the rows show, to break them again
    int dpi_ = StandardDpi;
    int lastTask_ = -1;  // the row of the newest task, which its status goes to
};

}  // namespace vor
