#pragma once
// Answers the flow's questions for `--cli`: the person at the terminal, or --yes
// (Yes and OK, never No or Cancel), or, with nobody to ask, the safe choice.

#include <functional>
#include <optional>
#include <string>

#include "cli/TerminalFrontEnd.h"

namespace vor {

struct AnswerSources {
    bool yes = false;              // --yes
    bool inputIsTerminal = false;  // someone can type the answers
    // One line typed, without its end; nothing at the end of input or on Ctrl-C.
    std::function<std::optional<std::string>()> readLine;
    std::function<void(const std::string&)> prompt;
    // The answer when the questions cannot go on (input ended, Ctrl-C at a prompt,
    // --yes asked to retry too often); it must leave a saved profile where the next run
    // finds it. Every later question gets it too, without a prompt.
    std::function<BoxAnswer(BoxButtons)> giveUp;
};

class TerminalAnswers : public Answerer {
public:
    // --yes retries a failing step this often (the recovery's instructions, the port box).
    static constexpr int MaxYesRetries = 3;

    explicit TerminalAnswers(AnswerSources sources) : sources_(std::move(sources)) {}

    Answer answer(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) override;
    bool canDecide() const override { return !stopped_ && (sources_.yes || sources_.inputIsTerminal); }
    // Nobody is there any more (the shell hung up, the run was told to terminate):
    // from now on every question gets the safe answer.
    void StopAsking() { stopped_ = true; }

private:
    Answer Typed(BoxButtons buttons);
    Answer GiveUp(BoxButtons buttons);

    AnswerSources sources_;
    std::string lastRetryCaption_;
    int retries_ = 0;
    bool gaveUp_ = false;
    bool stopped_ = false;
};

// The safe answer to a question: the one that changes nothing.
BoxAnswer SafeAnswer(BoxButtons buttons);

}  // namespace vor
