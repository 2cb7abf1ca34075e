// "Save log...".

#include <QAction>

#include "flow/WindowTexts.h"
#include "wizard/MFUMain.h"
#include "wizard/SaveLog.h"

namespace vor {

void MFUMain::SaveLogCmd_Click() {
    if (flow_.ended()) return;
    const std::string suggested = flow_.RecordPathSuggestion().string();
    const std::string caption = WindowTextsOf(flow_).saveLogCaption;
    const std::string path =
        env_.askSaveLogPath ? env_.askSaveLogPath(suggested) : AskSaveLogPath(this, caption, suggested);
    if (!path.empty()) flow_.SaveRecordAs(path);  // empty: cancelled
}

}  // namespace vor
