#include "tests/support/RecordingWizard.h"

#include <stdexcept>

namespace vor::test {

void RecordingWizard::InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) {
    rows.push_back({iconInd, s1, s2});
    Note("row " + std::to_string(iconInd) + " " + s1);
}

void RecordingWizard::SetTaskStatus(const std::string& s) {
    if (!throwOnStatus.empty() && s == throwOnStatus) throw std::runtime_error("status refused");
    statuses.push_back(s);
    if (!rows.empty()) rows.back().status = s;
    Note("status " + s);
}

void RecordingWizard::ResetStage() {
    ++resets;
    Note("ResetStage");
}

BoxAnswer RecordingWizard::MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                                      const std::string& text) {
    boxes.push_back({icon, buttons, caption, text});
    Note("box " + text);
    if (onBox) onBox(boxes.size() - 1);
    if (answers.empty()) return BoxAnswer::Cancel;
    const BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
}

int RecordingWizard::SetProcessPriority(int priorityClass) {
    priorities.push_back(priorityClass);
    Note("priority " + std::to_string(priorityClass));
    return priorityClass;
}

}  // namespace vor::test
