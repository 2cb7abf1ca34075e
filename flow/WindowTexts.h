#pragma once
// What the wizard window's controls say: the language database's texts, or the
// built-in ones while it has none. The same for every window that shows the flow.

#include <string>

namespace vor {

class WizardFlow;

struct WindowTexts {
    // The window's caption, before and after the database is open.
    static constexpr const char* BuiltInCaption = "VOR 1F Firmware Update";

    std::string title;       // the title strip's first line
    std::string secondLine;  // its second line: the title and the cable notice
    std::string frame;       // the instructions frame
    std::string back;
    std::string close;
    std::string next;
    std::string useSaved;  // the profile choice's two buttons
    std::string keepDc;
    std::string timeColumn;
    std::string eventColumn;
    std::string statusColumn;
    std::string saveLogAction;
    std::string saveLogCaption;
};

WindowTexts WindowTextsOf(WizardFlow& flow);

}  // namespace vor
