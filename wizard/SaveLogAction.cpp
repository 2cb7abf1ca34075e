// "Save log..." in the task log's context menu.

#include <QAction>
#include <QMenu>

#include "flow/WindowTexts.h"
#include "wizard/MFUMain.h"
#include "wizard/SaveLog.h"

namespace vor {

void MFUMain::TaskLstMenu(const QPoint& at) {
    // A menu or a file dialog runs a loop of its own that would hold the flow, and with
    // it the DC's link, beneath it: offered only between two operations.
    if (flow_.busy()) return;
    QMenu menu(this);
    menu.addAction(saveLogAct_);
    menu.exec(taskLst_->viewport()->mapToGlobal(at));
}

void MFUMain::SaveLogCmd_Click() {
    if (flow_.ended() || flow_.busy()) return;
    const std::string suggested = flow_.RecordPathSuggestion().string();
    const std::string caption = WindowTextsOf(flow_).saveLogCaption;
    const std::string path =
        env_.askSaveLogPath ? env_.askSaveLogPath(suggested) : AskSaveLogPath(this, caption, suggested);
    if (!path.empty()) flow_.SaveRecordAs(path);  // empty: cancelled
}

}  // namespace vor
