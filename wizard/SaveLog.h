#pragma once
// "Save log..." of the task log's context menu: the file dialog that asks where.

#include <string>

class QWidget;

namespace vor {

// A save-file dialog for text files that starts at `suggestedPath`; the chosen path,
// or empty when the user cancelled.
std::string AskSaveLogPath(QWidget* owner, const std::string& caption, const std::string& suggestedPath);

}  // namespace vor
