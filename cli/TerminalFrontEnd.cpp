#include "cli/TerminalFrontEnd.h"

#include <cctype>

#include "cli/JsonLine.h"
#include "flow/StepInstructions.h"
#include "session/PrintableText.h"

namespace vor {

namespace {

constexpr const char* ClearLine = "\r\x1b[K";

const char* IconWord(int iconInd) {
    switch (iconInd) {
    case IconRunning: return "step";
    case IconError: return "error";
    default: return "info";
    }
}

const char* ButtonsWord(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::OkCancel: return "ok-cancel";
    case BoxButtons::YesNo: return "yes-no";
    case BoxButtons::ProfileChoice: return "saved-or-dc";
    default: return "ok";
    }
}

const char* BoxIconWord(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Critical: return "critical";
    case BoxIcon::Warning: return "warning";
    case BoxIcon::Question: return "question";
    default: return "information";
    }
}

const char* AnsweredByWord(AnsweredBy by) {
    switch (by) {
    case AnsweredBy::YesOption: return "--yes";
    case AnsweredBy::SafeChoice: return "safe-choice";
    case AnsweredBy::Script: return "script";
    default: return "user";
    }
}

// The page's text for a terminal: line ends of its own, no blank lines held for a picture.
std::string PageText(int stage) {
    std::string text;
    for (char c : StepInstructions(stage))
        if (c != '\r') text += c;
    const std::size_t first = text.find_first_not_of('\n');
    return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

int PercentIn(const std::string& status) {
    if (status.size() < 2 || status.size() > 4 || status.back() != '%') return -1;
    int value = 0;
    for (std::size_t i = 0; i + 1 < status.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(status[i]))) return -1;
        value = value * 10 + (status[i] - '0');
    }
    return value;
}

const char* AnswerWord(BoxAnswer answer) {
    switch (answer) {
    case BoxAnswer::Cancel: return "cancel";
    case BoxAnswer::Yes: return "yes";
    case BoxAnswer::No: return "no";
    case BoxAnswer::UseSaved: return "use-saved";
    case BoxAnswer::KeepDc: return "keep-dc";
    case BoxAnswer::Undecided: return "undecided";
    default: return "ok";
    }
}

TerminalFrontEnd::TerminalFrontEnd(TerminalOutput output, Answerer& answerer)
    : output_(std::move(output)), answerer_(answerer) {}

void TerminalFrontEnd::EndLine() {
    if (!lineOpen_) return;
    lineOpen_ = false;
    Write("\n");
}

void TerminalFrontEnd::Say(const std::string& line) {
    if (output_.json) return;
    EndLine();
    Write(PrintableText(line) + "\n");
}

void TerminalFrontEnd::SayLines(const std::string& text) {
    if (output_.json) return;
    EndLine();
    Write(PrintableLines(text) + "\n");
}

void TerminalFrontEnd::Event(const std::string& jsonLine) {
    if (output_.json) Write(jsonLine);
}

std::string TerminalFrontEnd::RowLine(const TaskRow& row) const {
    // Rows carry the DC's identity and file names: shown escaped, never raw.
    std::string line = row.time + "  " + TaskIconMarker(row.iconInd) + "  " + PrintableText(OneLine(row.event));
    if (!row.status.empty()) line += "  " + PrintableText(OneLine(row.status));
    return line;
}

void TerminalFrontEnd::ShowPage(int stage) {
    Event(JsonLine().add("event", "page").add("stage", stage).add("text", PageText(stage)).text());
    SayLines("\n" + PageText(stage) + "\n");
}

void TerminalFrontEnd::ShowTaskLog() {
    Event(JsonLine().add("event", "attempt").text());  // the rows start again from 0
    Say("");
}

void TerminalFrontEnd::HideTaskLog() { Event(JsonLine().add("event", "back").text()); }

void TerminalFrontEnd::RowAdded(const TaskRow& row) {
    statusShown_ = row.status;
    percentPrinted_ = 0;
    Event(JsonLine()
              .add("event", "row")
              .add("row", row.row)
              .add("time", row.time)
              .add("icon", IconWord(row.iconInd))
              .add("text", row.event)
              .add("status", row.status)
              .text());
    if (output_.json) return;
    EndLine();
    if (output_.isTerminal) {
        Write(RowLine(row));
        lineOpen_ = true;
    } else {
        Write(RowLine(row) + "\n");
    }
}

void TerminalFrontEnd::RowChanged(const TaskRow& row) {
    // Only the last row's status ever changes.
    if (row.status == statusShown_) return;  // set again to what it was: nothing to tell
    statusShown_ = row.status;
    const int percent = PercentIn(row.status);
    const auto write = [this, percent](const std::string& text) { percent >= 0 ? WriteProgress(text) : Write(text); };
    if (output_.json) {
        if (percent >= 0)
            write(JsonLine().add("event", "progress").add("row", row.row).add("percent", percent).text());
        else
            write(JsonLine().add("event", "status").add("row", row.row).add("status", row.status).text());
        return;
    }
    if (output_.isTerminal) {
        // Rows only ever change the last line, which stays open on a terminal.
        write(std::string(ClearLine) + RowLine(row));
        lineOpen_ = true;
        return;
    }
    if (percent >= 0) {
        if (percent / ProgressStep <= percentPrinted_ / ProgressStep) return;
        percentPrinted_ = percent;
    }
    write(RowLine(row) + "\n");
}

BoxAnswer TerminalFrontEnd::Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) {
    Event(JsonLine()
              .add("event", "question")
              .add("icon", BoxIconWord(icon))
              .add("buttons", ButtonsWord(buttons))
              .add("caption", caption)
              .add("text", text)
              .text());
    SayLines("\n== " + PrintableText(caption) + " ==\n" + text);
    const Answer a = answerer_.answer(icon, buttons, caption, text);
    Event(JsonLine().add("event", "answer").add("answer", AnswerWord(a.answer)).add("by", AnsweredByWord(a.by)).text());
    if (a.by == AnsweredBy::YesOption) Say(std::string("-> ") + AnswerWord(a.answer) + " (--yes)");
    if (a.by == AnsweredBy::SafeChoice) {
        Say(std::string("-> ") + AnswerWord(a.answer) +
            (a.answer == BoxAnswer::Undecided ? " (nobody to decide: nothing is changed, a saved profile stays in its "
                                                "backup file)"
                                              : " (no one at a terminal to answer: the safe choice)"));
    }
    return a.answer;
}

}  // namespace vor
