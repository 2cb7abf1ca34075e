#include "winwizard/WindowBoxes.h"

#include "platform/win32/Utf16.h"
#include "winwizard/ResourceIds.h"

namespace vor {

namespace {

UINT IconStyle(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Critical: return MB_ICONERROR;
    case BoxIcon::Warning: return MB_ICONWARNING;
    case BoxIcon::Information: return MB_ICONINFORMATION;
    case BoxIcon::Question: return MB_ICONQUESTION;
    }
    return 0;
}

// The system's own pictures (the numbers behind IDI_ERROR and its kin, which name them
// in the narrow API only).
LPCWSTR SystemIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Critical: return MAKEINTRESOURCEW(32513);
    case BoxIcon::Warning: return MAKEINTRESOURCEW(32515);
    case BoxIcon::Information: return MAKEINTRESOURCEW(32516);
    case BoxIcon::Question: return MAKEINTRESOURCEW(32514);
    }
    return MAKEINTRESOURCEW(32514);
}

struct ChoiceTexts {
    std::wstring caption;
    std::wstring text;
    std::wstring useSaved;
    std::wstring keepDc;
    LPCWSTR icon;
};

INT_PTR CALLBACK ChoiceProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* texts = reinterpret_cast<const ChoiceTexts*>(lParam);
        ::SetWindowTextW(dialog, texts->caption.c_str());
        ::SetDlgItemTextW(dialog, VOR_CHOICE_TEXT, texts->text.c_str());
        ::SetDlgItemTextW(dialog, VOR_CHOICE_USE_SAVED, texts->useSaved.c_str());
        ::SetDlgItemTextW(dialog, VOR_CHOICE_KEEP_DC, texts->keepDc.c_str());
        ::SendDlgItemMessageW(dialog, VOR_CHOICE_ICON, STM_SETICON,
                              reinterpret_cast<WPARAM>(::LoadIconW(nullptr, texts->icon)), 0);
        // No default button: the keyboard focus starts on Cancel.
        ::SetFocus(::GetDlgItem(dialog, IDCANCEL));
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case VOR_CHOICE_USE_SAVED:
        case VOR_CHOICE_KEEP_DC:
        case IDCANCEL: ::EndDialog(dialog, LOWORD(wParam)); return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace

void WindowBoxes::setChoiceLabels(const std::string& useSaved, const std::string& keepDc) {
    useSavedLabel_ = useSaved;
    keepDcLabel_ = keepDc;
}

BoxAnswer WindowBoxes::show(HWND owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                            const std::string& text) const {
    if (buttons == BoxButtons::ProfileChoice) return askProfileChoice(owner, icon, caption, text);
    UINT style = IconStyle(icon) | MB_TOPMOST | MB_SETFOREGROUND;
    switch (buttons) {
    case BoxButtons::Ok: style |= MB_OK; break;
    case BoxButtons::OkCancel: style |= MB_OKCANCEL; break;
    case BoxButtons::YesNo: style |= MB_YESNO; break;
    case BoxButtons::ProfileChoice: break;
    }
    switch (::MessageBoxW(owner, Utf16(text).c_str(), Utf16(caption).c_str(), style)) {
    case IDOK: return BoxAnswer::Ok;
    case IDYES: return BoxAnswer::Yes;
    case IDNO: return BoxAnswer::No;
    case IDCANCEL: return BoxAnswer::Cancel;
    default:
        // The box could not be shown (0): the answer that changes nothing.
        return buttons == BoxButtons::YesNo ? BoxAnswer::No
                                            : (buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Cancel);
    }
}

BoxAnswer WindowBoxes::askProfileChoice(HWND owner, BoxIcon icon, const std::string& caption,
                                        const std::string& text) const {
    const ChoiceTexts texts{Utf16(caption), Utf16(text), Utf16(useSavedLabel_), Utf16(keepDcLabel_), SystemIcon(icon)};
    const INT_PTR chosen = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VOR_DIALOG_PROFILE_CHOICE),
                                             owner, ChoiceProcedure, reinterpret_cast<LPARAM>(&texts));
    if (chosen == VOR_CHOICE_USE_SAVED) return BoxAnswer::UseSaved;
    if (chosen == VOR_CHOICE_KEEP_DC) return BoxAnswer::KeepDc;
    return BoxAnswer::Undecided;
}

}  // namespace vor
