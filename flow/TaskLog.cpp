#include "flow/TaskLog.h"

#include "flow/TaskRow.h"

namespace vor {

void TaskLog::Insert(int iconInd, const std::string& event, const std::string& status) {
    TaskRow row{static_cast<int>(rows_.size()), iconInd, FormatTimeOfDay(clock_->localTime()), event, status};
    rows_.push_back(row);
    frontEnd_->RowAdded(row);
}

void TaskLog::SetStatus(const std::string& status) {
    if (rows_.empty()) return;
    rows_.back().status = status;
    frontEnd_->RowChanged(rows_.back());
}

}  // namespace vor
