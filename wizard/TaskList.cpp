#include "wizard/TaskList.h"

#include <QHeaderView>

#include "wizard/StatusPictures.h"

namespace vor {

TaskList::TaskList(QWidget* parent) : QTableWidget(0, 4, parent) {
    setHorizontalHeaderLabels({QString(), QStringLiteral("Time"), QStringLiteral("Event"), QStringLiteral("Status")});
    for (int c = 0; c < 4; ++c) setColumnWidth(c, ColumnWidths[c]);
    // The Event column takes what the others leave of the list's width, so there is
    // no sideways scrolling; a long row wraps onto more lines instead of being cut.
    horizontalHeader()->setSectionResizeMode(EventColumn, QHeaderView::Stretch);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void TaskList::setColumnTitles(const std::string& time, const std::string& event, const std::string& status) {
    setHorizontalHeaderLabels(
        {QString(), QString::fromStdString(time), QString::fromStdString(event), QString::fromStdString(status)});
}

void TaskList::appendRow(int iconInd, const std::string& time, const std::string& s1, const std::string& s2) {
    const int row = rowCount();
    insertRow(row);
    auto* picture = new QTableWidgetItem(StatusPicture(iconInd), QString());
    picture->setData(IconIndexRole, iconInd);
    setItem(row, 0, picture);
    setItem(row, 1, new QTableWidgetItem(QString::fromStdString(time)));
    auto* event = new QTableWidgetItem(QString::fromStdString(s1));
    event->setToolTip(event->text());  // the whole text also where wrapping runs short
    setItem(row, EventColumn, event);
    setItem(row, 3, new QTableWidgetItem(QString::fromStdString(s2)));
    scrollToItem(item(row, 0));
    if (observer_) observer_(rowAt(row), true);
}

void TaskList::setLastStatus(const std::string& s) {
    const int row = rowCount() - 1;
    if (row < 0) return;
    item(row, 3)->setText(QString::fromStdString(s));
    if (observer_) observer_(rowAt(row), false);
}

void TaskList::clearRows() { setRowCount(0); }

TaskRow TaskList::rowAt(int row) const {
    return {row, item(row, 0)->data(IconIndexRole).toInt(), item(row, 1)->text().toStdString(),
            item(row, 2)->text().toStdString(), item(row, 3)->text().toStdString()};
}

}  // namespace vor
