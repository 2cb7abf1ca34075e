// The window as the flow's front end, and its one window procedure, which forwards
// the user's clicks to the flow.

#include "winwizard/WizardWindow.h"

#include <commctrl.h>

#include <exception>
#include <utility>

#include "flow/StepInstructions.h"
#include "platform/TopMostWindow.h"
#include "platform/win32/Utf16.h"
#include "platform/win32/WriteInProgress.h"
#include "session/Messages.h"

namespace vor {

namespace {

// How long the idle window sleeps between two looks at the flow when nothing happens.
constexpr double IdleWaitSeconds = 60.0;

void SetTopMost(HWND window, bool topMost) {
    // The window works on without it: the flow does not depend on the Z order.
    SetTopMostNativeWindow(reinterpret_cast<std::uintptr_t>(window), topMost);
}

}  // namespace

WizardWindow::WizardWindow(WizardFlow& flow, Win32EventPump& pump, std::string programDir)
    : flow_(flow), pump_(pump), programDir_(std::move(programDir)) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    buildControls();
    watchWrites();
    flow_.attach(*this);
    pump_.dispatchWindowMessages([this](MSG& message) {
        // Tab, Space and the arrow keys between the buttons, as in a dialog.
        return window_ && ::IsDialogMessageW(window_, &message) != FALSE;
    });
}

WizardWindow::~WizardWindow() {
    WatchWrites({});
    pump_.dispatchWindowMessages({});  // nobody left to filter for
    tray_.remove();
    taskLst_.reset();
    if (window_) ::DestroyWindow(window_);
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(controlFont_), static_cast<HGDIOBJ>(captionFont_), static_cast<HGDIOBJ>(secondLineFont_),
          static_cast<HGDIOBJ>(frameFont_), static_cast<HGDIOBJ>(background_), static_cast<HGDIOBJ>(banner_[0]),
          static_cast<HGDIOBJ>(banner_[1]), static_cast<HGDIOBJ>(deepSleep_[0]), static_cast<HGDIOBJ>(deepSleep_[1])})
        if (object) ::DeleteObject(object);
}

void WizardWindow::show() {
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    ::SetForegroundWindow(window_);
    ::SetFocus(::IsWindowEnabled(nextCmd_) ? nextCmd_ : closeCmd_);
}

void WizardWindow::run() {
    while (!flow_.ended() && !pump_.ending()) {
        try {
            pump_.yieldUntil(pump_.now() + IdleWaitSeconds);
        } catch (const ProgramEnding&) {
            break;
        }
    }
}

// FrontEnd

void WizardWindow::TextsReady() {
    SetTopMost(window_, true);
    setText(window_, WindowTexts::BuiltInCaption);
    tray_.add(window_, icon_, WindowTexts::BuiltInCaption);
    applyCaptions(WindowTextsOf(flow_));
    ::InvalidateRect(window_, nullptr, TRUE);
}

void WizardWindow::ShowPage(int stage) {
    pageText_ = Utf16(StepInstructions(stage));
    pictureShown_ = StepShowsPicture(stage);
    ::InvalidateRect(window_, nullptr, TRUE);
}

void WizardWindow::ShowTaskLog() {
    pageShown_ = false;
    taskLst_->clear();
    ::ShowWindow(taskLst_->handle(), SW_SHOW);
    ::InvalidateRect(window_, nullptr, TRUE);
}

void WizardWindow::HideTaskLog() {
    pageShown_ = true;
    taskLst_->clear();
    ::ShowWindow(taskLst_->handle(), SW_HIDE);
    ::InvalidateRect(window_, nullptr, TRUE);
}

void WizardWindow::RowAdded(const TaskRow& row) {
    runningStep_ = row.event;
    taskLst_->appendRow(row.iconInd, row.time, row.event, row.status);
}

void WizardWindow::RowChanged(const TaskRow& row) { taskLst_->setLastStatus(row.status); }

void WizardWindow::ButtonsChanged(bool nextEnabled, bool backEnabled) {
    // Focus on a button being disabled would leave the keyboard nowhere.
    const HWND focus = ::GetFocus();
    ::EnableWindow(nextCmd_, nextEnabled);
    ::EnableWindow(backCmd_, backEnabled);
    if ((focus == nextCmd_ && !nextEnabled) || (focus == backCmd_ && !backEnabled)) ::SetFocus(closeCmd_);
}

BoxAnswer WizardWindow::Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) {
    return boxes_.show(window_, icon, buttons, caption, text);
}

void WizardWindow::LeaveTop() { SetTopMost(window_, false); }

void WizardWindow::HideTitle() {
    titleShown_ = false;
    ::InvalidateRect(window_, nullptr, TRUE);
}

void WizardWindow::Ended() { ::ShowWindow(window_, SW_HIDE); }

// The window procedure

LRESULT CALLBACK WizardWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<WizardWindow*>(creation->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WizardWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

template <typename Work>
void WizardWindow::guarded(Work work) {
    // Nothing may unwind through the system's frames that called the window procedure.
    try {
        work();
    } catch (const ProgramEnding&) {
        // The program is ending: the waits it cut short have nothing more to say.
    } catch (const std::exception& e) {
        boxes_.show(window_, BoxIcon::Critical, BoxButtons::Ok, WizardFlow::FixedBoxCaption, e.what());
    }
}

LRESULT WizardWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        switch (LOWORD(wParam)) {
        case NextId: guarded([this] { flow_.Next(); }); return 0;
        case BackId: guarded([this] { flow_.Back(); }); return 0;
        case CloseId: guarded([this] { flow_.Close(); }); return 0;
        case PrintId: guarded([this] { printAgreement(); }); return 0;
        case DisagreeId: guarded([this] { flow_.EndAtOnce(); }); return 0;
        case AgreeId: return 0;  // the agreement page only asks to print or to disagree
        case IDOK: {
            // Enter (from the keyboard navigation) presses the button that has the focus.
            const HWND focus = ::GetFocus();
            if (focus && ::GetParent(focus) == window_ && focus != taskLst_->handle())
                ::SendMessageW(focus, BM_CLICK, 0, 0);
            return 0;
        }
        default: break;
        }
        break;
    case WM_QUERYENDSESSION: return queryEndSession();
    case WM_ENDSESSION:
        if (wParam) endSession();
        return 0;
    case WM_CLOSE:
        // The close box runs the Close sequence, recovery included.
        if (!flow_.ended()) guarded([this] { flow_.Close(); });
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(window_, &ps);
        paint(dc);
        ::EndPaint(window_, &ps);
        return 0;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
        // Dragging the window or its system menu would run a loop of the system's that
        // holds the flow beneath it, and with it the DC's link: the window stays put
        // while an operation runs. The close box still works.
        if (flow_.busy() && wParam != HTCLOSE) return 0;
        break;
    case WM_SYSCOMMAND:
        if (flow_.busy() && (wParam & 0xFFF0) != SC_CLOSE) return 0;
        break;
    case WM_DPICHANGED:
        // Moved to a screen of another resolution, or its scaling changed.
        layOut(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CTLCOLORBTN: return reinterpret_cast<LRESULT>(background_);
    case WM_CONTEXTMENU:
        // A menu or a file dialog is a loop of the system's that would hold the flow
        // beneath it, and with it the DC's link: offered only between two operations.
        if (reinterpret_cast<HWND>(wParam) != taskLst_->handle() || flow_.busy()) break;
        guarded([&] { offerSaveLog(lParam); });
        return 0;
    default: break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void WizardWindow::setText(HWND control, const std::string& text) { ::SetWindowTextW(control, Utf16(text).c_str()); }

}  // namespace vor
