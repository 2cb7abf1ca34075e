#pragma once
// The task log as a list view in report view: the status picture, time, event and
// status columns, one row per task.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

namespace vor {

class TaskLogView {
public:
    // A hidden list view child of `parent` in `area`.
    TaskLogView(HWND parent, const RECT& area, HFONT font, int controlId);
    ~TaskLogView();
    TaskLogView(const TaskLogView&) = delete;
    TaskLogView& operator=(const TaskLogView&) = delete;

    HWND handle() const { return list_; }
    void setColumnTitles(const std::string& time, const std::string& event, const std::string& status);
    void appendRow(int picture, const std::string& time, const std::string& event, const std::string& status);
    void setLastStatus(const std::string& status);
    void clear();

private:
    HWND list_ = nullptr;
    HIMAGELIST pictures_ = nullptr;
};

}  // namespace vor
