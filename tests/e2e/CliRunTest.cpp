// `vor-fwupdate --cli` as a script runs it: the program in a folder of its own (where
// its backups and records land), against `vor-tool sim` on a pseudo-terminal, with no
// display at all. Real time: a whole update waits 10 s and 45 s for the DC's restarts.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>

#include "tests/e2e/Harness.h"
#include "tests/e2e/JsonEvents.h"
#include "tests/e2e/SimProcess.h"

namespace vor::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int RunLimitMs = 240000;
const std::vector<std::string> QuickDc = {"--restart-after", "1", "--wake-after", "1"};

struct Outcome {
    int exit = -1;
    std::string out;
    std::string err;
};

// A copy of the program with its language database and image.
class ProgramCopy {
public:
    ProgramCopy() {
        for (const char* file : {"vor-fwupdate", "FirmwareUpdate.lng", "VOR.1H.FWR"})
            fs::copy_file(fs::path(VOR_PROGRAM_DIR) / file, folder() / file);
    }
    fs::path folder() const { return dir_.path().toStdString(); }

    // Starts `vor-fwupdate args`; `input` is what is typed (then the input ends).
    void start(QProcess& process, const std::vector<std::string>& args, const std::string& input = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(env);
        QStringList arguments;
        for (const std::string& a : args) arguments << QString::fromStdString(a);
        process.start(QString::fromStdString((folder() / "vor-fwupdate").string()), arguments);
        process.waitForStarted();
        process.write(input.data(), static_cast<qint64>(input.size()));
        if (input != "keep open") process.closeWriteChannel();
    }

    Outcome run(const std::vector<std::string>& args, const std::string& input = {}) const {
        QProcess process;
        start(process, args, input);
        process.waitForFinished(RunLimitMs);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

private:
    QTemporaryDir dir_;
};

std::vector<JsonEvent> EventsOf(const std::vector<JsonEvent>& events, const std::string& kind) {
    std::vector<JsonEvent> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                 [&](const JsonEvent& e) { return e.at("event") == kind; });
    return found;
}

TEST(CliRun, WholeUpdateWithYesExitsZeroAndTellsEveryStepAsJson) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ASSERT_FALSE(sim.port().empty());
    ProgramCopy program;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));

    const Outcome run = program.run({"--cli", "--port", sim.port(), "--yes", "--json"});
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
    const std::vector<JsonEvent> events = ParseJsonEvents(run.out);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().at("result"), "updated");
    EXPECT_EQ(EventsOf(events, "page").size(), 2u);  // the first page and the Deep Sleep page
    EXPECT_TRUE(EventsOf(events, "question").empty());
    const auto progress = EventsOf(events, "progress");
    EXPECT_TRUE(
        std::any_of(progress.begin(), progress.end(), [](const JsonEvent& e) { return e.at("percent") == "100"; }));
    EXPECT_EQ(EventsOf(events, "row").back().at("icon"), "info");
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(program.folder() / "6865.012345.bin"));
}

TEST(CliRun, FailedRunLeavesTheProfileInItsFileAndASecondYesRunWritesItBack) {
    EnsureApplication();
    // Silent for 20 s from the 50th block of section 2: that run fails, the next one finds the DC back.
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--silent", "b7-data:50,20"});
    SimProcess sim(options);
    ASSERT_FALSE(sim.port().empty());
    ProgramCopy program;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));
    const fs::path backup = program.folder() / "6865.012345.bin";

    // No terminal and no --yes: Enter twice from a script, and the recovery question is left alone.
    const Outcome failed = program.run({"--cli", "--port", sim.port()}, "\n\n");
    EXPECT_EQ(failed.exit, 4) << failed.out << failed.err;
    EXPECT_NE(failed.out.find(backup.string()), std::string::npos) << failed.out;
    ASSERT_TRUE(fs::exists(backup));
    EXPECT_NE(ProfileLines(sim.memory(program.folder() / "between.dump")), before);

    const Outcome again = program.run({"--cli", "--port", sim.port(), "--yes"});
    EXPECT_EQ(again.exit, 0) << again.out << again.err;
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(backup));
}

TEST(CliRun, CtrlCDuringTheUploadClosesWithTheRecoveryAndGivesTheProfileBack) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));
    QProcess run;
    program.start(run, {"--cli", "--port", sim.port(), "--yes", "--json"});
    std::string out;
    const auto halfwayThroughSection1 = [&out] {
        const auto upload = out.find("Writing new firmware");
        return upload != std::string::npos && out.find("\"percent\":50", upload) != std::string::npos;
    };
    while (!halfwayThroughSection1() && run.waitForReadyRead(RunLimitMs))
        out += run.readAllStandardOutput().toStdString();
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    ASSERT_TRUE(run.waitForFinished(RunLimitMs));
    out += run.readAllStandardOutput().toStdString();
    EXPECT_EQ(run.exitCode(), 1) << out;  // not updated; nothing waits to be written back
    EXPECT_EQ(EventsOf(ParseJsonEvents(out), "answer").size(), 2u) << out;  // Yes, then OK
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(program.folder() / "6865.012345.bin"));
}

TEST(CliRun, SecondRunOnAPortInUseSaysSoAndChangesNothing) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    QProcess first;
    program.start(first, {"--cli", "--port", sim.port()}, "keep open");  // waits on its first page
    ASSERT_TRUE(first.waitForReadyRead(RunLimitMs));

    const Outcome second = program.run({"--cli", "--port", sim.port(), "--json"});
    EXPECT_EQ(second.exit, 3) << second.out << second.err;
    const auto questions = EventsOf(ParseJsonEvents(second.out), "question");
    ASSERT_EQ(questions.size(), 1u) << second.out;
    EXPECT_NE(questions[0].at("text").find(sim.port()), std::string::npos);

    first.closeWriteChannel();  // the first run's user types nothing more: it ends, nothing changed
    ASSERT_TRUE(first.waitForFinished(RunLimitMs));
    EXPECT_EQ(first.exitCode(), 3);
}

}  // namespace
}  // namespace vor::e2e
