// The end of the Windows session: a shutdown or logoff waits while the DC is being
// written, with the running step as the reason Windows shows; when the session ends
// anyway, the record is made safe first and the Close sequence runs with nobody left
// to answer it.

#include "platform/win32/Utf16.h"
#include "platform/win32/WriteInProgress.h"
#include "session/Utf8Path.h"
#include "winwizard/WizardWindow.h"

namespace vor {

void WizardWindow::watchWrites() {
    WatchWrites([this](bool writing) {
        if (writing)
            ::ShutdownBlockReasonCreate(window_, Utf16(runningStep_).c_str());
        else
            ::ShutdownBlockReasonDestroy(window_);
    });
}

LRESULT WizardWindow::queryEndSession() const { return WriteInProgress() ? FALSE : TRUE; }

void WizardWindow::endSession() {
    if (flow_.ended()) return;
    sessionEnding_ = true;
    // Windows may end the process as soon as this returns: the record of the run so
    // far goes to disk before anything else.
    flow_.SaveRecordAs(Utf8Of(flow_.RecordPathSuggestion()));
    handle(WM_CLOSE, 0, 0);  // the close box's Close sequence
}

}  // namespace vor
