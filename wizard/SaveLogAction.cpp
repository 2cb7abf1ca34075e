// "Save log...".

#include <QAction>

#include "session/Messages.h"
#include "wizard/MFUMain.h"
#include "wizard/SaveLog.h"

namespace vor {

void MFUMain::SaveLogCmd_Click() {
    if (flow_.ended()) return;
    const std::string suggested = flow_.RecordPathSuggestion().string();
    const std::string caption = TextOr(Msg::SaveLogCaption, "Save the task log");
    const std::string path =
        env_.askSaveLogPath ? env_.askSaveLogPath(suggested) : AskSaveLogPath(this, caption, suggested);
    if (!path.empty()) flow_.SaveRecordAs(path);  // empty: cancelled
}

}  // namespace vor
