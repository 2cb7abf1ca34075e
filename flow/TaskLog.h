#pragma once
// The task log's rows as the flow keeps them: each row gets the time of day it was
// added, and every change goes on to the front end that shows it.

#include <string>
#include <vector>

#include "flow/FrontEnd.h"
#include "flow/TaskRow.h"
#include "platform/EventPump.h"

namespace vor {

class TaskLog {
public:
    TaskLog(FrontEnd& frontEnd, EventPump* clock) : frontEnd_(&frontEnd), clock_(clock) {}
    void showOn(FrontEnd& frontEnd) { frontEnd_ = &frontEnd; }

    void Insert(int iconInd, const std::string& event, const std::string& status);
    // The status of the last row; nothing while the log is empty.
    void SetStatus(const std::string& status);
    void Clear() { rows_.clear(); }
    const std::vector<TaskRow>& rows() const { return rows_; }

private:
    FrontEnd* frontEnd_;
    EventPump* clock_;
    std::vector<TaskRow> rows_;
};

}  // namespace vor
