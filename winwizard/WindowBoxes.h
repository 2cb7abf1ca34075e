#pragma once
// The window's questions and messages: message boxes (MessageBoxW) with the flow's
// caption, icon and buttons, and a dialog of its own for the choice between two
// profiles. Each box is owned by the window and stays above it.

#include <windows.h>

#include <string>

#include "session/WizardServices.h"

namespace vor {

class WindowBoxes {
public:
    // The two buttons of the profile choice, in the current language.
    void setChoiceLabels(const std::string& useSaved, const std::string& keepDc);

    // Closing a box with its X counts as Cancel (or OK where OK is the only button),
    // and leaves the choice between two profiles open.
    BoxAnswer show(HWND owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                   const std::string& text) const;

private:
    BoxAnswer askProfileChoice(HWND owner, BoxIcon icon, const std::string& caption, const std::string& text) const;
    std::string useSavedLabel_ = "Write the saved profile back";
    std::string keepDcLabel_ = "Keep the DC's profile";
};

}  // namespace vor
