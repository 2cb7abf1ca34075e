// The fault sweep: the whole demo update through deep sleep, repeated with one fault
// starting at exchange k for every k of a clean run; after a failed run the diver
// closes the program and lets the recovery write the profile back into the healed DC.
// The profile must survive every one of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "session/Messages.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/ProfileCheck.h"
#include "tests/e2e/ProfileTasks.h"

namespace vor::e2e {
namespace {

// Every exchange once silent; the rejection storm at every second one. Sanitizer and
// debug builds run about five times slower, so they sample: CI stays within minutes.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr int SilenceStride = 4;
constexpr int RejectionStride = 8;
#else
constexpr int SilenceStride = 1;
constexpr int RejectionStride = 2;
#endif

// How long the injected fault lasts: longer than any command's retries.
constexpr double FaultSeconds = 60.0;
// The diver waits this long before trying a page again, and before closing.
constexpr double DiverPause = 30.0;
constexpr int NextAttempts = 4;

// Next until the update has run: through the deep-sleep page, trying again after a
// pause when the page stays where it was.
void RunUpdateLikeADiver(Harness& h) {
    for (int attempt = 0; attempt < NextAttempts && !h.ended(); ++attempt) {
        h.clickNext();
        if (h.ended()) return;
        if (h.deepSleepPageShown()) {
            h.pressDcButtons();
            h.clickNext();
            return;
        }
        if (h.state().Stage >= 2) return;  // the update ran from the first page
        h.waitFor(DiverPause);
        h.pressDcButtons();  // back in the PC screen, should the DC have gone to sleep
    }
}

struct SweepRun {
    Verdict afterRun = Verdict::Broken;
    Verdict afterRecovery = Verdict::Broken;
    std::string why;
};

SweepRun RunWithFault(const sim::FaultRule& fault) {
    sim::DcConfig config;
    config.faults = {fault};
    Harness h(config);
    SweepRun run;
    if (!h.start()) {
        run.why = "the program did not start";
        return run;
    }
    const ProfileSnapshot before = TakeProfile(h.dc());
    RunUpdateLikeADiver(h);
    Judgement j = JudgeProfile(before, h);
    run.afterRun = run.afterRecovery = j.verdict;
    run.why = j.why;
    if (j.verdict != Verdict::SafeFailure) return run;

    h.waitFor(FaultSeconds + 1.0);  // the fault heals
    // ... but the DC refuses identity queries for a few seconds once the recovery asks.
    h.dc().addFault({.action = sim::FaultAction::Reject,
                     .kind = sim::UnitKind::Identity,
                     .nth = h.dc().exchanges(sim::UnitKind::Identity) + 1,
                     .lastsFor = 3.0,
                     .sameKindOnly = true});
    h.answerRecovery();
    h.clickClose();
    j = JudgeProfile(before, h);
    run.afterRecovery = j.verdict;
    if (j.verdict == Verdict::Broken) run.why = "after the recovery: " + j.why + "\n" + h.logText();
    return run;
}

int CleanRunExchanges() {
    Harness h;
    EXPECT_TRUE(h.start());
    RunUpdateLikeADiver(h);
    EXPECT_EQ(h.log().back().event, M(Msg::UpdateSucceeded)) << h.logText();
    return h.dc().totalExchanges();
}

struct Tally {
    int runs = 0;
    int success = 0;
    int safeFailure = 0;
    int otherwise = 0;
};

// VOR_SWEEP_STRIDE=n samples every nth exchange instead, for a quick look by hand.
int StrideOr(int stride) {
    const char* text = std::getenv("VOR_SWEEP_STRIDE");
    const int forced = text ? std::atoi(text) : 0;
    return forced > 0 ? forced : stride;
}

void Sweep(const char* name, sim::FaultAction action, int everyNth) {
    const int stride = StrideOr(everyNth);
    const int exchanges = CleanRunExchanges();
    ASSERT_GT(exchanges, 1000);
    Tally tally;
    for (int k = 1; k <= exchanges; k += stride) {
        const SweepRun run = RunWithFault({.action = action, .anyKind = true, .nth = k, .lastsFor = FaultSeconds});
        ++tally.runs;
        const Verdict end = run.afterRecovery;
        if (run.afterRun == Verdict::Broken || end == Verdict::Broken) {
            ++tally.otherwise;
            ADD_FAILURE() << name << " from exchange " << k << ": " << run.why;
        } else if (run.afterRun == Verdict::Success) {
            ++tally.success;
        } else {
            ++tally.safeFailure;
        }
    }
    std::printf(
        "%s sweep: %d exchanges in a clean run, %d runs (every %d): %d success, "
        "%d reported failure with the profile safe, %d otherwise\n",
        name, exchanges, tally.runs, stride, tally.success, tally.safeFailure, tally.otherwise);
    EXPECT_EQ(tally.otherwise, 0);
}

TEST(FaultSweep, SilenceFromEveryExchangeNeverLosesTheProfile) {
    Sweep("silence", sim::FaultAction::Silent, SilenceStride);
}

TEST(FaultSweep, RejectionStormFromEveryOtherExchangeNeverLosesTheProfile) {
    Sweep("rejection storm", sim::FaultAction::Reject, RejectionStride);
}

// A restore with the DC silent from its kth exchange on, then the same restore once
// the DC has healed: neither the saved profile nor what the DC held is ever lost, and
// the second restore always ends with the saved profile in the DC.
TEST(FaultSweep, SilenceFromEveryExchangeOfARestoreNeverLosesEitherProfile) {
    int restoreExchanges = 0;
    for (int k = 1; restoreExchanges == 0 || k <= restoreExchanges; k += StrideOr(SilenceStride)) {
        Harness h;
        Begin(h, {ProfileTaskKind::Backup, {}});
        const ProfileSnapshot saved = TakeProfile(h.dc());
        Proceed(h);
        const std::filesystem::path file = FilesLike(h, ".saved-").at(0);
        DiveWith(h);
        const ProfileSnapshot dived = TakeProfile(h.dc());
        const int before = h.dc().totalExchanges();
        if (restoreExchanges > 0)
            h.dc().addFault(
                {.action = sim::FaultAction::Silent, .anyKind = true, .nth = before + k, .lastsFor = FaultSeconds});
        Begin(h, {ProfileTaskKind::Restore, file});
        h.boxes().answers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Ok};
        Proceed(h);
        h.clickClose();
        if (restoreExchanges == 0) {  // the clean run counts the exchanges to sweep
            ASSERT_EQ(h.outcome().exit, 0) << h.logText();
            restoreExchanges = h.dc().totalExchanges() - before;
            continue;
        }
        SCOPED_TRACE("silent from exchange " + std::to_string(k) + " of the restore");
        // Success only with the saved profile in the DC; a DC written halfway has it
        // waiting in the pending backup.
        const bool dcHoldsSaved = DcHoldsProfile(saved, h.dc());
        if (h.outcome().exit == 0) {
            EXPECT_TRUE(dcHoldsSaved) << h.logText();
        }
        if (!dcHoldsSaved && !DcHoldsProfile(dived, h.dc())) {
            EXPECT_EQ(BackupFileProblem(h.backupFile(), saved, h.serial()), "") << h.outcome().message;
        }
        const std::vector<std::filesystem::path> aside = FilesLike(h, ".set-aside-");
        const bool divedKept = DcHoldsProfile(dived, h.dc()) ||
                               std::any_of(aside.begin(), aside.end(), [&](const std::filesystem::path& f) {
                                   return BackupFileProblem(f, dived, h.serial()).empty();
                               });
        EXPECT_TRUE(divedKept) << h.logText();
        h.waitFor(FaultSeconds + 1.0);
        Begin(h, {ProfileTaskKind::Restore, file});
        h.boxes().answers = {BoxAnswer::Yes};
        Proceed(h);
        EXPECT_EQ(h.outcome().exit, 0) << h.outcome().message << "\n" << h.logText();
        EXPECT_TRUE(DcHoldsProfile(saved, h.dc()));
        EXPECT_FALSE(std::filesystem::exists(h.backupFile()));
    }
    std::printf("restore sweep: %d exchanges in a clean restore\n", restoreExchanges);
}

}  // namespace
}  // namespace vor::e2e
