// The terminal front end's own output and answers; the whole runs through it are the
// scenario table's (with VOR_E2E_FRONT_END=terminal) and CliRunTest's.

#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "cli/JsonLine.h"
#include "cli/TerminalAnswers.h"
#include "cli/TerminalFrontEnd.h"

namespace vor {
namespace {

class NoAnswers : public Answerer {
public:
    Answer answer(BoxIcon, BoxButtons, const std::string&, const std::string&) override { return {}; }
};

// Each status the upload sets, in turn, on one row.
std::string Shown(bool isTerminal, const std::vector<std::string>& statuses) {
    std::string out;
    NoAnswers answers;
    TerminalFrontEnd terminal({[&out](const std::string& t) { out += t; }, isTerminal, false, {}}, answers);
    TaskRow row{0, IconRunning, "10:00:00", "Writing", ""};
    terminal.RowAdded(row);
    for (const std::string& s : statuses) {
        row.status = s;
        terminal.RowChanged(row);
    }
    terminal.RowAdded({1, IconInfo, "10:00:09", "Finished", ""});
    terminal.Ended();
    return out;
}

TEST(Terminal, ProgressUpdatesItsLineInPlaceOnATerminalAndEveryTenPercentElsewhere) {
    const std::vector<std::string> statuses = {"4%", "9%", "10%", "10%", "14%", "27%", "99%", "100%", "Done", "Done"};
    EXPECT_EQ(Shown(true, statuses),
              "10:00:00  step   Writing"
              "\r\x1b[K10:00:00  step   Writing  4%\r\x1b[K10:00:00  step   Writing  9%"
              "\r\x1b[K10:00:00  step   Writing  10%\r\x1b[K10:00:00  step   Writing  14%"
              "\r\x1b[K10:00:00  step   Writing  27%\r\x1b[K10:00:00  step   Writing  99%"
              "\r\x1b[K10:00:00  step   Writing  100%\r\x1b[K10:00:00  step   Writing  Done\n"
              "10:00:09  info   Finished\n");
    EXPECT_EQ(Shown(false, statuses),
              "10:00:00  step   Writing\n"
              "10:00:00  step   Writing  10%\n"
              "10:00:00  step   Writing  27%\n"
              "10:00:00  step   Writing  99%\n"
              "10:00:00  step   Writing  100%\n"
              "10:00:00  step   Writing  Done\n"
              "10:00:09  info   Finished\n");
}

TEST(Terminal, JsonEscapesWhatWouldBreakALineAndReplacesBytesThatAreNotUtf8) {
    EXPECT_EQ(JsonLine().add("text", std::string("a\"b\\c\nd\x01 \xC3\xBC \xFF \xC0\xAF")).add("n", 7).text(),
              "{\"text\":\"a\\\"b\\\\c\\nd\\u0001 \xC3\xBC \xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\",\"n\":7}\n");
}

// A port name, a file name or the DC's identity with a line break or an escape sequence
// in it can neither start a line of its own nor reach the terminal raw; the program's
// own line breaks stay, as plain LF.
TEST(Terminal, PlainOutputShowsWhatComesFromOutsideEscaped) {
    std::string out;
    NoAnswers answers;
    TerminalFrontEnd terminal({[&out](const std::string& t) { out += t; }, false, false, {}}, answers);
    terminal.RowAdded({0, IconInfo, "10:00:00", "VOR\x1b[2J DC\x9b, version: 1H", "Done"});
    terminal.Ask(BoxIcon::Critical, BoxButtons::Ok, "Interface\r\n", "First line.\r\nSecond line.\x07");
    terminal.Say("The DC's profile is saved in /tmp/a\nFAKE: The DC has its new firmware.bin");
    EXPECT_EQ(out,
              "10:00:00  info   VOR\\x1B[2J DC\\x9B, version: 1H  Done\n"
              "\n== Interface\\r\\n ==\nFirst line.\nSecond line.\\x07\n"
              "The DC's profile is saved in /tmp/a\\nFAKE: The DC has its new firmware.bin\n");
}

struct AnswerCase {
    const char* name;
    bool yes;
    bool terminal;
    std::vector<BoxButtons> asked;                 // one question after the other, the same caption
    std::deque<std::optional<std::string>> typed;  // lines (nothing: Ctrl-C); the input ends after them
    std::vector<BoxAnswer> answers;
    int giveUps;
    int prompts = -1;     // -1: not counted
    bool hungUp = false;  // told before the first question that nobody is there any more
};

class Answers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(Answers, FollowTheOptionAndTheTerminal) {
    AnswerCase c = GetParam();
    int giveUps = 0;
    int prompts = 0;
    TerminalAnswers answers({c.yes, c.terminal,
                             [&c]() -> std::optional<std::string> {
                                 if (c.typed.empty()) return std::nullopt;
                                 std::optional<std::string> line = c.typed.front();
                                 c.typed.pop_front();
                                 return line;
                             },
                             [&prompts](const std::string&) { ++prompts; },
                             [&giveUps](BoxButtons) {
                                 ++giveUps;
                                 return BoxAnswer::Undecided;  // as the run gives up: nothing changes
                             }});
    if (c.hungUp) answers.StopAsking();
    std::vector<BoxAnswer> got;
    for (BoxButtons b : c.asked) got.push_back(answers.answer(BoxIcon::Question, b, "Caption", "Text").answer);
    EXPECT_EQ(got, c.answers);
    EXPECT_EQ(giveUps, c.giveUps);
    if (c.prompts >= 0) {
        EXPECT_EQ(prompts, c.prompts);
    }
    EXPECT_EQ(answers.canDecide(), (c.yes || c.terminal) && !c.hungUp);
}

using B = BoxButtons;
using A = BoxAnswer;
INSTANTIATE_TEST_SUITE_P(
    Terminal, Answers,
    ::testing::Values(AnswerCase{"YesSaysYesAndOkThenGivesUpAfterThreeRetries",
                                 true,
                                 false,
                                 {B::YesNo, B::OkCancel, B::OkCancel, B::OkCancel, B::OkCancel},
                                 {},
                                 {A::Yes, A::Ok, A::Ok, A::Ok, A::Undecided},
                                 1},
                      // Which of two dive logs the DC keeps is a person's choice.
                      AnswerCase{"YesNeverChoosesBetweenTwoProfiles",
                                 true,
                                 true,
                                 {B::ProfileChoice, B::YesNo},
                                 {},
                                 {A::Undecided, A::Yes},
                                 0},
                      AnswerCase{"TypedProfileChoices",
                                 false,
                                 true,
                                 {B::ProfileChoice, B::ProfileChoice},
                                 {"y", "k", "S"},
                                 {A::KeepDc, A::UseSaved},
                                 0},
                      AnswerCase{"NobodyAtATerminalGetsTheSafeChoice",
                                 false,
                                 false,
                                 {B::YesNo, B::OkCancel, B::Ok},
                                 {},
                                 {A::No, A::Cancel, A::Ok},
                                 0},
                      AnswerCase{
                          "NobodyAtATerminalChoosesNoProfile", false, false, {B::ProfileChoice}, {}, {A::Undecided}, 0},
                      AnswerCase{"TypedAnswersAndAQuestionAskedAgainOnNonsense",
                                 false,
                                 true,
                                 {B::YesNo, B::OkCancel, B::OkCancel},
                                 {"maybe", " Y ", "", "c"},
                                 {A::Yes, A::Ok, A::Cancel},
                                 0},
                      AnswerCase{"InputEndingGivesUp", false, true, {B::YesNo}, {}, {A::Undecided}, 1},
                      // Ctrl-C at the recovery's question means stop, not Yes and another
                      // prompt: nothing more is asked.
                      AnswerCase{"CtrlCAtAPromptGivesUpAndNothingMoreIsAsked",
                                 false,
                                 true,
                                 {B::YesNo, B::OkCancel, B::Ok},
                                 {std::nullopt, "", ""},
                                 {A::Undecided, A::Undecided, A::Undecided},
                                 3,
                                 1},
                      // A hang-up or a terminate: the safe answers, even for --yes.
                      AnswerCase{"NobodyLeftAfterAHangUpGetsTheSafeChoice",
                                 true,
                                 true,
                                 {B::YesNo, B::OkCancel, B::ProfileChoice},
                                 {"y", ""},
                                 {A::No, A::Cancel, A::Undecided},
                                 0,
                                 0,
                                 true}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vor
