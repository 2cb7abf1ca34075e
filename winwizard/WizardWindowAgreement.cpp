// The agreement page's Print button (the page is never shown by the program itself):
// the agreement text, line by line, half an inch from the left edge of the page.

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <string>
#include <vector>

#include "flow/Agreement.h"
#include "platform/win32/Utf16.h"
#include "winwizard/WizardWindow.h"

namespace vor {

namespace {

constexpr int AgreementPoints = 10;

// Empty when printed, else why not.
std::string Print(HDC printer, const std::vector<std::string>& lines) {
    const int dpiX = ::GetDeviceCaps(printer, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(printer, LOGPIXELSY);
    const int pageHeight = ::GetDeviceCaps(printer, VERTRES);
    const HFONT font = ::CreateFontW(-::MulDiv(AgreementPoints, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    const HGDIOBJ before = ::SelectObject(printer, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(printer, &metrics);
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    DOCINFOW document{};
    document.cbSize = sizeof(document);
    document.lpszDocName = L"RD2_EUA";
    std::string error;
    if (::StartDocW(printer, &document) <= 0 || ::StartPage(printer) <= 0) {
        error = "the printer refused the job, error " + std::to_string(::GetLastError());
    } else {
        int y = lineHeight;  // an empty line first
        for (const std::string& line : lines) {
            if (y + lineHeight > pageHeight) {
                ::EndPage(printer);
                ::StartPage(printer);
                y = 0;
            }
            const std::wstring text = Utf16(line);
            ::TextOutW(printer, dpiX / 2, y, text.c_str(), static_cast<int>(text.size()));
            y += lineHeight;
        }
        ::EndPage(printer);
        ::EndDoc(printer);
    }
    ::SelectObject(printer, before);
    ::DeleteObject(font);
    return error;
}

}  // namespace

void WizardWindow::printAgreement() {
    PrintAgreement(flow_, programDir_, [this](const std::vector<std::string>& lines) -> std::string {
        // The printer dialog's outcome is not examined: a cancelled dialog prints on the default printer.
        PRINTDLGW dialog{};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = window_;
        dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
        if (!::PrintDlgW(&dialog)) {
            dialog.Flags = PD_RETURNDC | PD_RETURNDEFAULT;
            ::PrintDlgW(&dialog);
        }
        // The agreement is laid out for Letter paper, upright, whatever the printer's default.
        if (dialog.hDC && dialog.hDevMode) {
            if (auto* mode = static_cast<DEVMODEW*>(::GlobalLock(dialog.hDevMode))) {
                mode->dmPaperSize = DMPAPER_LETTER;
                mode->dmOrientation = DMORIENT_PORTRAIT;
                mode->dmFields |= DM_PAPERSIZE | DM_ORIENTATION;
                ::ResetDCW(dialog.hDC, mode);
                ::GlobalUnlock(dialog.hDevMode);
            }
        }
        const std::string error = dialog.hDC ? Print(dialog.hDC, lines) : "no printer is available.";
        if (dialog.hDC) ::DeleteDC(dialog.hDC);
        if (dialog.hDevMode) ::GlobalFree(dialog.hDevMode);
        if (dialog.hDevNames) ::GlobalFree(dialog.hDevNames);
        return error;
    });
}

}  // namespace vor
