#pragma once
// The task log control: one row per task with a status picture, the time the task
// started, the event text and the status. Rows are appended or cleared all at once,
// never removed one by one; the newest row is scrolled into view. Long event texts
// wrap, and their full text is the row's tooltip.

#include <QTableWidget>
#include <functional>
#include <string>

#include "flow/TaskRow.h"

namespace vor {

class TaskList : public QTableWidget {
    Q_OBJECT
public:
    // Column widths of the status picture, time, event and status columns; the event
    // column then stretches to fill the list's width.
    static constexpr int ColumnWidths[4] = {32, 60, 360, 80};
    static constexpr int EventColumn = 2;
    // Role of column 0 that carries the picture index of the row.
    static constexpr int IconIndexRole = Qt::UserRole + 1;

    explicit TaskList(QWidget* parent = nullptr);

    void setColumnTitles(const std::string& time, const std::string& event, const std::string& status);
    void appendRow(int iconInd, const std::string& time, const std::string& s1, const std::string& s2);
    // Replaces the status of the last row; nothing to do on an empty log.
    void setLastStatus(const std::string& s);
    void clearRows();

    // Told about every appended row (`added`) and every status change.
    using Observer = std::function<void(const TaskRow& row, bool added)>;
    void setObserver(Observer observer) { observer_ = std::move(observer); }

private:
    TaskRow rowAt(int row) const;
    Observer observer_;
};

}  // namespace vor
