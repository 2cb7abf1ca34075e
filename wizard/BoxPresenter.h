#pragma once
// Shows the wizard's modal message boxes. The window routes every box through one
// presenter so tests can answer them without a real dialog.

#include <string>

#include "session/WizardServices.h"

class QWidget;

namespace vor {

class BoxPresenter {
public:
    virtual ~BoxPresenter() = default;
    virtual BoxAnswer show(QWidget* owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                           const std::string& text) = 0;
    // The two buttons of BoxButtons::ProfileChoice, in the current language.
    virtual void setChoiceLabels(const std::string& useSaved, const std::string& keepDc) {
        useSavedLabel_ = useSaved;
        keepDcLabel_ = keepDc;
    }

protected:
    std::string useSavedLabel_ = "Write the saved profile back";
    std::string keepDcLabel_ = "Keep the DC's profile";
};

// Real boxes (QMessageBox). Closing the box with the window's X counts as Cancel or No,
// and leaves a choice between two profiles open.
class QtBoxPresenter : public BoxPresenter {
public:
    BoxAnswer show(QWidget* owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                   const std::string& text) override;
};

}  // namespace vor
