#include "flow/WindowTexts.h"

#include "flow/WizardFlow.h"
#include "session/Messages.h"

namespace vor {

namespace {

constexpr const char* CableNotice = "Keep the interface cable clipped on the DC until the update has finished.";

}  // namespace

WindowTexts WindowTextsOf(WizardFlow& flow) {
    const auto textOr = [&flow](std::int32_t number, const char* builtIn) {
        std::string text = flow.GetText(number);
        return text.empty() ? std::string(builtIn) : text;
    };
    WindowTexts texts;
    texts.title = "VOR 1H " + textOr(Msg::Title, "Firmware Update");
    texts.secondLine = flow.GetText(Msg::Title) + "  -  " + CableNotice;
    texts.frame = textOr(Msg::FrameCaption, "Instructions");
    texts.back = textOr(Msg::BackCaption, "Back");
    texts.close = textOr(Msg::CloseCaption, "Close");
    texts.next = textOr(Msg::NextCaption, "Next");
    texts.useSaved = textOr(Msg::UseSavedProfile, "Write the saved profile back");
    texts.keepDc = textOr(Msg::KeepDcProfile, "Keep the DC's profile");
    texts.timeColumn = textOr(Msg::TimeColumn, "Time");
    texts.eventColumn = textOr(Msg::EventColumn, "Event");
    texts.statusColumn = textOr(Msg::StatusColumn, "Status");
    texts.saveLogAction = textOr(Msg::SaveLogAction, "Save log...");
    texts.saveLogCaption = textOr(Msg::SaveLogCaption, "Save the task log");
    return texts;
}

}  // namespace vor
