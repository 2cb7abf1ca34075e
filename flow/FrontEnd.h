#pragma once
// What the wizard's flow needs from whatever shows it to the user: the window, or the
// terminal of `--cli`. The flow decides; the front end shows and asks.

#include <string>

#include "flow/TaskRow.h"
#include "session/WizardServices.h"

namespace vor {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // The language database is open: captions and titles can be set.
    virtual void TextsReady() {}
    // The instruction page of `stage` (1: steps 1-4, 2: the Deep Sleep page); the
    // front end waits for the user's Next.
    virtual void ShowPage(int stage) = 0;
    // An attempt starts: an empty task log replaces the page.
    virtual void ShowTaskLog() = 0;
    // Back from an attempt: the task log is emptied and the page comes back.
    virtual void HideTaskLog() = 0;
    // A row was appended to the task log; its status changed.
    virtual void RowAdded(const TaskRow& row) = 0;
    virtual void RowChanged(const TaskRow& row) = 0;
    // Which of Next and Back the user may press now.
    virtual void ButtonsChanged(bool nextEnabled, bool backEnabled) = 0;
    // A question or message with its buttons; nothing is sent to the DC meanwhile.
    virtual BoxAnswer Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) = 0;
    // Whether anyone can answer Ask. When nobody can, the flow leaves a pending
    // profile in its backup file at close instead of asking about it.
    virtual bool CanDecide() const { return true; }

    // Steps of the close sequence that only a window has.
    virtual void LeaveTop() {}
    virtual void RemoveTrayIcon() {}
    virtual void HideTitle() {}
    // The program has ended: nothing more is shown.
    virtual void Ended() {}
};

}  // namespace vor
