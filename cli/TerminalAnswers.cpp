#include "cli/TerminalAnswers.h"

#include <algorithm>
#include <cctype>

namespace vor {

namespace {

std::string Lowered(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }), text.end());
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

BoxAnswer SafeAnswer(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::YesNo: return BoxAnswer::No;
    case BoxButtons::OkCancel: return BoxAnswer::Cancel;
    case BoxButtons::ProfileChoice: return BoxAnswer::Undecided;
    default: return BoxAnswer::Ok;
    }
}

Answer TerminalAnswers::answer(BoxIcon, BoxButtons buttons, const std::string& caption, const std::string&) {
    // Which of two dive logs the DC keeps is for a person to say, never for --yes.
    if (buttons == BoxButtons::ProfileChoice && (sources_.yes || !sources_.inputIsTerminal))
        return {BoxAnswer::Undecided, AnsweredBy::SafeChoice};
    if (sources_.yes) {
        if (buttons == BoxButtons::YesNo) return {BoxAnswer::Yes, AnsweredBy::YesOption};
        if (buttons == BoxButtons::OkCancel) {
            // OK asks for the same step again; --yes must not go round for ever.
            retries_ = caption == lastRetryCaption_ ? retries_ + 1 : 1;
            lastRetryCaption_ = caption;
            if (retries_ > MaxYesRetries) return {sources_.giveUp(buttons), AnsweredBy::SafeChoice};
        }
        return {BoxAnswer::Ok, AnsweredBy::YesOption};
    }
    if (!sources_.inputIsTerminal) return {SafeAnswer(buttons), AnsweredBy::SafeChoice};
    return Typed(buttons);
}

Answer TerminalAnswers::Typed(BoxButtons buttons) {
    for (;;) {
        switch (buttons) {
        case BoxButtons::YesNo: sources_.prompt("Yes or No? [y/n] "); break;
        case BoxButtons::OkCancel: sources_.prompt("Enter: OK, c: Cancel "); break;
        case BoxButtons::ProfileChoice:
            sources_.prompt("s: write the saved profile back, k: keep the DC's profile [s/k] ");
            break;
        default: sources_.prompt("Enter: OK "); break;
        }
        const std::optional<std::string> line = sources_.readLine();
        if (!line) return {sources_.giveUp(buttons), AnsweredBy::SafeChoice};
        const std::string typed = Lowered(*line);
        if (buttons == BoxButtons::Ok) return {BoxAnswer::Ok, AnsweredBy::User};
        if (buttons == BoxButtons::ProfileChoice) {
            if (typed == "s") return {BoxAnswer::UseSaved, AnsweredBy::User};
            if (typed == "k") return {BoxAnswer::KeepDc, AnsweredBy::User};
        } else if (buttons == BoxButtons::OkCancel) {
            if (typed.empty() || typed == "ok" || typed == "o") return {BoxAnswer::Ok, AnsweredBy::User};
            if (typed == "c" || typed == "cancel") return {BoxAnswer::Cancel, AnsweredBy::User};
        } else {
            if (typed == "y" || typed == "yes") return {BoxAnswer::Yes, AnsweredBy::User};
            if (typed == "n" || typed == "no") return {BoxAnswer::No, AnsweredBy::User};
        }
    }
}

}  // namespace vor
