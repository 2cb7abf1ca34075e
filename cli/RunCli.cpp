// The terminal front end's run: start-up, the pages with their Enter waits, the
// update, the close sequence, and the exit status that says how it ended.

#include "cli/RunCli.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliOutcome.h"
#include "cli/JsonLine.h"
#include "cli/ListPorts.h"
#include "cli/TerminalAnswers.h"
#include "cli/TerminalFrontEnd.h"
#include "cli/TerminalStream.h"
#include "flow/WizardFlow.h"
#include "platform/InterruptWatch.h"
#include "texts/LanguageDb.h"

namespace vor {

namespace {

class CliRun {
public:
    CliRun(WizardFlow& flow, const CliOptions& options, const std::function<void()>& endProgram)
        : options_(options),
          endProgram_(endProgram),
          answers_(AnswerSources{options.yes, StdinIsTerminal(), [this] { return ReadLine(); },
                                 [this](const std::string& text) { Prompt(text); },
                                 [this](BoxButtons buttons) { return GiveUp(buttons); }}),
          terminal_(TerminalOutput{WriteStdout, StdoutIsTerminal(), options.json, WriteStdoutProgress}, answers_),
          flow_(flow) {
        flow_.attach(terminal_);
    }

    int run() {
        // Ctrl-C closes as the Close button does: the recovery is offered where it is due.
        watch_ = WatchInterrupts([this](Interrupt kind) { Interrupted(kind); });
        if (flow_.Start()) Drive();
        if (!flow_.ended()) flow_.Close();
        return Finish();
    }

private:
    // Next on every page until the attempt has run or the user stops.
    void Drive() {
        while (!flow_.ended() && flow_.pageShown() != 0) {
            const int page = flow_.pageShown();
            if (!WaitForEnter(page == 1 && triedOnce_ ? "Press Enter to try again" : "Press Enter for Next")) return;
            triedOnce_ = true;
            flow_.Next();
            // The first page again: the DC did not answer or is not for this image.
            if (flow_.pageShown() == 1 && (options_.yes || !StdinIsTerminal())) return;
        }
    }

    bool WaitForEnter(const std::string& what) {
        if (options_.yes) return true;
        Prompt(what + " (Ctrl-C closes) ");
        return ReadLine().has_value() && !interrupted_;
    }

    // A line typed after a prompt; at the end of input the prompt's line is ended.
    std::optional<std::string> ReadLine() {
        std::optional<std::string> line = ReadStdinLine();
        if (!line && !options_.json) WriteStdout("\n");
        return line;
    }

    void Prompt(const std::string& text) {
        terminal_.Event(JsonLine().add("event", "wait").add("text", text).text());
        if (!options_.json) WriteStdout(text);
    }

    BoxAnswer GiveUp(BoxButtons buttons) {
        // Inside the recovery No or Cancel would set the backup aside: nobody decides
        // instead, which leaves it where the next run finds it.
        if (flow_.closing()) return BoxAnswer::Undecided;
        return SafeAnswer(buttons);
    }

    void Interrupted(Interrupt kind) {
        const bool again = interrupted_ || (watch_ && watch_->count() > 1);
        interrupted_ = true;
        // Nobody will answer after a hang-up or a terminate: the safe answers, and a
        // pending profile stays in its file.
        if (kind == Interrupt::Terminate) answers_.StopAsking();
        const char* what = kind == Interrupt::CtrlC ? "Ctrl-C" : "Told to end";
        if (again) {
            // Ends at the next wait, through the code that writes the attempt record.
            terminal_.Say(std::string(what) + " again: ending now; a saved profile stays in its backup file.");
            endProgram_();
            return;
        }
        if (flow_.closing()) {
            // Inside the recovery: it ends at its next wait, within a second.
            terminal_.Say(std::string(what) + ": the recovery stops; the saved profile stays in its backup file.");
            endProgram_();
            return;
        }
        terminal_.Say(std::string(what) +
                      ": closing (Ctrl-C again ends at once; a saved profile stays in its backup file).");
        flow_.Close();
    }

    int Finish() {
        // A start-up that ended (no cable, image refused, texts unusable) changed nothing.
        const CliOutcome outcome = OutcomeOfRun(flow_);
        KeepStdoutWhole();  // whatever a stalled reader misses, never how the run ended
        terminal_.Event(OutcomeEvent(outcome));
        terminal_.Say(outcome.message);
        DrainStdout();
        return outcome.exit;
    }

    const CliOptions& options_;
    const std::function<void()>& endProgram_;
    TerminalAnswers answers_;
    TerminalFrontEnd terminal_;
    WizardFlow& flow_;
    bool triedOnce_ = false;
    bool interrupted_ = false;
    std::unique_ptr<InterruptWatch> watch_;
};

}  // namespace

int RunTerminal(WizardFlow& flow, const CliOptions& options, const std::function<void()>& endProgram) {
    CliRun run(flow, options, endProgram);
    return run.run();
}

int ListCables(const std::string& programDir, const std::set<std::string>& cablePorts, const PortTrial& tryPort) {
    LanguageDb db;
    db.OpenLanguageDb(programDir + "/" + LanguageDbFile, LoadResString(ResDatabasePassword), 1);
    const int status = ListPorts([](const std::string& line) { WriteStdout(line + "\n"); },
                                 [&db](std::int32_t n) { return db.GetText(n); }, cablePorts, tryPort);
    DrainStdout();
    return status;
}

}  // namespace vor
