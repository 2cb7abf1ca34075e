#pragma once
// The wizard's native Windows window: the same pages, texts and control placement as
// the Qt window, drawn with the Win32 API. It is a front end of a WizardFlow built
// elsewhere: its buttons and close box call the flow, and the flow tells it what to
// show. The window's messages are served by the event pump, inside every wait of the
// flow, so it repaints and its buttons work during an update.

#include <windows.h>

#include <memory>
#include <string>

#include "flow/FrontEnd.h"
#include "flow/WindowLayout.h"
#include "flow/WindowTexts.h"
#include "flow/WizardFlow.h"
#include "platform/win32/Win32EventPump.h"
#include "winwizard/TaskLogView.h"
#include "winwizard/TrayIcon.h"
#include "winwizard/WindowBoxes.h"

namespace vor {

class WizardWindow : private FrontEnd {
public:
    // Attaches itself to `flow` and has `pump` dispatch its messages. The window stays
    // hidden until show(); `programDir` holds the agreement file.
    WizardWindow(WizardFlow& flow, Win32EventPump& pump, std::string programDir);
    ~WizardWindow() override;
    WizardWindow(const WizardWindow&) = delete;
    WizardWindow& operator=(const WizardWindow&) = delete;

    void show();
    // Serves the window until the program has ended.
    void run();
    HWND handle() const { return window_; }

private:
    // FrontEnd
    void TextsReady() override;
    void ShowPage(int stage) override;
    void ShowTaskLog() override;
    void HideTaskLog() override;
    void RowAdded(const TaskRow& row) override;
    void RowChanged(const TaskRow& row) override;
    void ButtonsChanged(bool nextEnabled, bool backEnabled) override;
    BoxAnswer Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) override;
    void LeaveTop() override;
    void RemoveTrayIcon() override { tray_.remove(); }
    void HideTitle() override;
    void Ended() override;
    bool CanDecide() const override { return !sessionEnding_; }

    static constexpr COLORREF FormBackground = RGB(236, 233, 216);
    enum ControlId : int { PrintId = 101, BackId, NextId, CloseId, AgreeId, DisagreeId, TaskLstId };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void buildControls();
    // Places the controls and makes the fonts for the window's resolution; the window
    // takes the client size of the twips table, at `suggested`'s place when given.
    void layOut(int dpi, const RECT* suggested);
    void applyCaptions(const WindowTexts& texts);
    void paint(HDC dc);
    void paintTitle(HDC dc);
    void paintPage(HDC dc);
    void printAgreement();
    void offerSaveLog(LPARAM screenPoint);
    void saveLog();
    // Runs a click's work; what escapes the flow is said in a box, never lost.
    template <typename Work>
    void guarded(Work work);
    void setText(HWND control, const std::string& text);
    // The session's end (WizardWindowSession.cpp).
    void watchWrites();
    LRESULT queryEndSession() const;
    void endSession();

    WizardFlow& flow_;
    Win32EventPump& pump_;
    std::string programDir_;
    HWND window_ = nullptr;
    HWND printCmd_ = nullptr;
    HWND backCmd_ = nullptr;
    HWND nextCmd_ = nullptr;
    HWND closeCmd_ = nullptr;
    HWND agreeCmd_ = nullptr;
    HWND disagreeCmd_ = nullptr;
    std::unique_ptr<TaskLogView> taskLst_;
    WindowBoxes boxes_;
    TrayIcon tray_;
    HFONT controlFont_ = nullptr;
    HFONT captionFont_ = nullptr;
    HFONT secondLineFont_ = nullptr;
    HFONT frameFont_ = nullptr;
    HBRUSH background_ = nullptr;
    HBITMAP banner_[2] = {};     // drawn for 96 dpi and for twice that
    HBITMAP deepSleep_[2] = {};  // the same
    int dpi_ = StandardDpi;
    HICON icon_ = nullptr;
    std::wstring titleCaption_;
    std::wstring titleSecondLine_;
    std::wstring frameCaption_ = L"INSTRUCTIONS";
    std::wstring pageText_;
    bool titleShown_ = true;
    bool pageShown_ = true;
    bool pictureShown_ = false;
    int flowRunning_ = 0;         // clicks whose work is still under way (the flow waits inside them)
    std::string runningStep_;     // the newest task's event: why a shutdown waits
    bool sessionEnding_ = false;  // Windows ends the session: nobody answers any more
};

}  // namespace vor
