#pragma once
// WizardServices for the subsystem tests: records the task log, message boxes,
// priority changes and resets; message boxes answer from a script. Given a journal
// it also writes "row 0 T778", "status T777", "box <text>", "priority 256"
// and "ResetStage" into it. GetText(n) gives "T<n>".

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "session/Messages.h"
#include "session/WizardServices.h"
#include "tests/support/Journal.h"
#include "tests/support/ShownBox.h"

namespace vor::test {

struct TaskRow {
    int icon;
    std::string event;
    std::string status;
    bool operator==(const TaskRow&) const = default;
};

// What GetText gives for message `number` here: "T<number>".
inline std::string T(std::int32_t number) { return "T" + std::to_string(number); }

class RecordingWizard : public WizardServices {
public:
    using Row = TaskRow;

    RecordingWizard() = default;
    explicit RecordingWizard(Journal& journal) : journal_(&journal) {}

    std::vector<TaskRow> rows;
    std::vector<std::string> statuses;  // every status set, in order
    std::vector<ShownBox> boxes;
    std::deque<BoxAnswer> answers;                    // Cancel once the script runs out
    std::function<void(std::size_t boxIndex)> onBox;  // runs as each box opens
    std::vector<int> priorities;
    int resets = 0;
    std::string throwOnStatus;  // SetTaskStatus with this text throws std::runtime_error

    void InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) override;
    void SetTaskStatus(const std::string& s) override;
    void ResetStage() override;
    std::string GetText(std::int32_t number) override { return T(number); }
    BoxAnswer MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                         const std::string& text) override;
    int SetProcessPriority(int priorityClass) override;

private:
    void Note(std::string entry) {
        if (journal_) journal_->push_back(std::move(entry));
    }

    Journal* journal_ = nullptr;
};

}  // namespace vor::test
