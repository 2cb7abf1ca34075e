// The terminal front end's own output and answers; the whole runs through it are the
// scenario table's (with VOR_E2E_FRONT_END=terminal) and CliRunTest's.

#include <gtest/gtest.h>

#include <deque>

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
    TerminalFrontEnd terminal({[&out](const std::string& t) { out += t; }, isTerminal, false}, answers);
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

struct AnswerCase {
    const char* name;
    bool yes;
    bool terminal;
    std::vector<BoxButtons> asked;  // one question after the other, the same caption
    std::deque<std::string> typed;  // lines; the input ends after them
    std::vector<BoxAnswer> answers;
    int giveUps;
};

class Answers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(Answers, FollowTheOptionAndTheTerminal) {
    AnswerCase c = GetParam();
    int giveUps = 0;
    TerminalAnswers answers({c.yes, c.terminal,
                             [&c]() -> std::optional<std::string> {
                                 if (c.typed.empty()) return std::nullopt;
                                 std::string line = c.typed.front();
                                 c.typed.pop_front();
                                 return line;
                             },
                             [](const std::string&) {},
                             [&giveUps](BoxButtons) {
                                 ++giveUps;
                                 return BoxAnswer::Undecided;  // as the run gives up: nothing changes
                             }});
    std::vector<BoxAnswer> got;
    for (BoxButtons b : c.asked) got.push_back(answers.answer(BoxIcon::Question, b, "Caption", "Text").answer);
    EXPECT_EQ(got, c.answers);
    EXPECT_EQ(giveUps, c.giveUps);
    EXPECT_EQ(answers.canDecide(), c.yes || c.terminal);
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
                      AnswerCase{"InputEndingGivesUp", false, true, {B::YesNo}, {}, {A::Undecided}, 1}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vor
