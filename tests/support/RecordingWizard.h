#pragma once
// WizardServices for the profile tests: records the task log, message boxes, priority
// changes and resets; message boxes answer from a script.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "session/WizardServices.h"

namespace vor::test {

struct TaskRow {
    int icon;
    std::string event;
    std::string status;
    bool operator==(const TaskRow&) const = default;
};

struct ShownBox {
    BoxIcon icon;
    BoxButtons buttons;
    std::string caption;
    std::string text;
};

class RecordingWizard : public WizardServices {
public:
    std::vector<TaskRow> rows;
    std::vector<std::string> statuses;  // every status set, in order
    std::vector<ShownBox> boxes;
    std::deque<BoxAnswer> answers;      // Cancel once the script runs out
    std::function<void(std::size_t boxIndex)> onBox;  // runs as each box opens
    std::vector<int> priorities;
    int resets = 0;

    void InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) override {
        rows.push_back({iconInd, s1, s2});
    }
    void SetTaskStatus(const std::string& s) override {
        statuses.push_back(s);
        if (!rows.empty()) rows.back().status = s;
    }
    void ResetStage() override { ++resets; }
    std::string GetText(std::int32_t number) override { return "M" + std::to_string(number); }
    BoxAnswer MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                         const std::string& text) override {
        boxes.push_back({icon, buttons, caption, text});
        if (onBox) onBox(boxes.size() - 1);
        if (answers.empty()) return BoxAnswer::Cancel;
        const BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    int SetProcessPriority(int priorityClass) override {
        priorities.push_back(priorityClass);
        return priorityClass;
    }
    void CloseProgram() override {}
};

}  // namespace vor::test
