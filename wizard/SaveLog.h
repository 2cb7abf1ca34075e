#pragma once
// "Save log..." of the task log's context menu: the file dialog that asks where.

#include <cstdint>
#include <string>

class QWidget;

namespace vor {

namespace SaveLogMsg {
constexpr std::int32_t Action = 910;        // "Save log..."
constexpr std::int32_t SaveFailed = 911;    // "The task log could not be saved: %1"
constexpr std::int32_t DialogCaption = 912;
}  // namespace SaveLogMsg

// A save-file dialog for text files that starts at `suggestedPath`; the chosen path,
// or empty when the user cancelled.
std::string AskSaveLogPath(QWidget* owner, const std::string& caption, const std::string& suggestedPath);

}  // namespace vor
