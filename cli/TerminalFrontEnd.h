#pragma once
// The flow shown on a terminal (`--cli`): each task-log row a line with its time,
// the running percentage in place on a terminal and every 10% elsewhere, the pages
// as text; or, with --json, one JSON object per line for every event. Questions are
// printed and answered by an Answerer.

#include <functional>
#include <string>

#include "flow/FrontEnd.h"

namespace vor {

// Who answered a question, for the transcript.
enum class AnsweredBy { User, YesOption, SafeChoice, Script };

struct Answer {
    BoxAnswer answer = BoxAnswer::Ok;
    AnsweredBy by = AnsweredBy::User;
};

class Answerer {
public:
    virtual ~Answerer() = default;
    virtual Answer answer(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) = 0;
    virtual bool canDecide() const { return true; }
};

struct TerminalOutput {
    std::function<void(const std::string&)> write;  // text as it is to appear
    bool isTerminal = false;                        // progress then updates one line in place
    bool json = false;
    // A running percentage, which a reader that falls behind may miss; empty: `write`.
    std::function<void(const std::string&)> progress;
};

class TerminalFrontEnd : public FrontEnd {
public:
    static constexpr int ProgressStep = 10;  // percent between progress lines off a terminal

    TerminalFrontEnd(TerminalOutput output, Answerer& answerer);

    void ShowPage(int stage) override;
    void ShowTaskLog() override;
    void HideTaskLog() override;
    void RowAdded(const TaskRow& row) override;
    void RowChanged(const TaskRow& row) override;
    void ButtonsChanged(bool, bool) override {}
    BoxAnswer Ask(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) override;
    bool CanDecide() const override { return answerer_.canDecide(); }
    void Ended() override { EndLine(); }

    // One line of the front end's own (a note, the outcome), after the open row line.
    // It may carry names from outside: every control character in it is escaped.
    void Say(const std::string& line);
    // A JSON event; nothing without --json.
    void Event(const std::string& jsonLine);
    bool json() const { return output_.json; }

private:
    std::string RowLine(const TaskRow& row) const;
    // Text of several lines (a page, a box): its own line ends stay, nothing else.
    void SayLines(const std::string& text);
    void EndLine();
    void Write(const std::string& text) { output_.write(text); }
    void WriteProgress(const std::string& text) { (output_.progress ? output_.progress : output_.write)(text); }

    TerminalOutput output_;
    Answerer& answerer_;
    bool lineOpen_ = false;    // the last row's line waits for its status (terminal only)
    std::string statusShown_;  // of the last row, the only one whose status changes
    int percentPrinted_ = 0;   // of the last row, off a terminal
};

// The percentage a status text shows ("42%"), or -1.
int PercentIn(const std::string& status);

const char* AnswerWord(BoxAnswer answer);

}  // namespace vor
