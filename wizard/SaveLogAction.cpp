// "Save log...".

#include <QAction>

#include "profile/DurableFile.h"
#include "session/Messages.h"
#include "wizard/MFUMain.h"
#include "wizard/SaveLog.h"

namespace vor {

namespace {

void ReplaceFirst(std::string& text, const std::string& what, const std::string& with) {
    if (const std::size_t at = text.find(what); at != std::string::npos) text.replace(at, what.size(), with);
}

}  // namespace

void MFUMain::SaveLogCmd_Click() {
    if (flow_.ended()) return;
    const AttemptRecord record = flow_.RecordSoFar();

    const std::string suggested = flow_.RecordPathSuggestion().string();
    const std::string caption = TextOr(Msg::SaveLogCaption, "Save the task log");
    const std::string path =
        env_.askSaveLogPath ? env_.askSaveLogPath(suggested) : AskSaveLogPath(this, caption, suggested);
    if (path.empty()) return;  // cancelled

    const std::string text = AttemptRecordText(record);
    const WriteResult written =
        WriteFileDurably(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (written.ok) return;
    std::string message = TextOr(Msg::SaveLogFailed, "The task log could not be saved: %1");
    ReplaceFirst(message, "%1", path + " (" + written.error + ")");
    flow_.MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption, message);
}

}  // namespace vor
