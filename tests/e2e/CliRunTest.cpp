// `vor-fwupdate --cli` as a script runs it: the program in a folder of its own (where
// its backups and records land), against `vor-tool sim` on a pseudo-terminal, with no
// display at all. Real time: a whole update waits 10 s and 45 s for the DC's restarts.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/e2e/Harness.h"
#include "tests/e2e/JsonEvents.h"
#include "tests/e2e/SimProcess.h"
#include "cli/TerminalAnswers.h"

namespace vor::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int RunLimitMs = 240000;
constexpr std::size_t TerminalAnswersRetryLimit = TerminalAnswers::MaxYesRetries;
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
    // The user's data folder the program sees ($XDG_DATA_HOME).
    fs::path userData() const { return folder() / "user-data"; }

    // Starts `vor-fwupdate args`; `input` is what is typed (then the input ends).
    void start(QProcess& process, const std::vector<std::string>& args, const std::string& input = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert("XDG_DATA_HOME", QString::fromStdString(userData().string()));
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

    // The program has moved (a copy run from a folder of its own keeps backups beside
    // itself, an installed one in the user's folder): the pending file is found where
    // the other kept it.
    const fs::path moved = program.userData() / "vor-fwupdate" / backup.filename();
    fs::create_directories(moved.parent_path());
    fs::rename(backup, moved);
    fs::rename(fs::path(backup) += ".sha256", fs::path(moved) += ".sha256");
    const Outcome again = program.run({"--cli", "--port", sim.port(), "--yes"});
    EXPECT_EQ(again.exit, 0) << again.out << again.err;
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_FALSE(fs::exists(moved));
}

// The profile commands as a script runs them, on a DC that needs the Deep Sleep step:
// with --yes nobody waits at its page, and the DC sleeps until it is woken (here after
// a second). The restore goes into the same DC after dives (the same serial number,
// other profile bytes) and keeps what it held aside.
TEST(CliRun, ProfileCommandsWaitForTheDcToWakeAndTheRestoreGivesTheSavedProfileBack) {
    EnsureApplication();
    ProgramCopy program;
    const fs::path saved = program.folder() / "before-the-trip.bin";
    std::vector<std::uint8_t> savedProfile;
    {
        SimProcess sim(QuickDc);
        ASSERT_FALSE(sim.port().empty());
        savedProfile = UsedProfile(sim.memory(program.folder() / "saved.dump"));
        const Outcome info = program.run({"--cli", "--info", "--port", sim.port(), "--json"}, "\n\n");
        EXPECT_EQ(info.exit, 0) << info.out << info.err;
        const Outcome backup =
            program.run({"--cli", "--backup", saved.string(), "--port", sim.port(), "--yes", "--json"});
        ASSERT_EQ(backup.exit, 0) << backup.out << backup.err;
        EXPECT_EQ(ParseJsonEvents(backup.out).back().at("file"), saved.string()) << backup.out;
    }
    std::vector<std::string> dived = QuickDc;
    dived.insert(dived.end(), {"--seed", "2"});
    SimProcess sim(dived);
    ASSERT_FALSE(sim.port().empty());
    ASSERT_NE(UsedProfile(sim.memory(program.folder() / "dived.dump")), savedProfile);

    const Outcome restore =
        program.run({"--cli", "--restore", saved.string(), "--port", sim.port(), "--yes", "--json"});
    ASSERT_EQ(restore.exit, 0) << restore.out << restore.err;
    EXPECT_EQ(UsedProfile(sim.memory(program.folder() / "restored.dump")), savedProfile);
    EXPECT_TRUE(fs::exists(saved));
    const fs::path dcCopy = ParseJsonEvents(restore.out).back().at("dcCopy");
    EXPECT_NE(dcCopy.filename().string().find(".set-aside-"), std::string::npos) << restore.out;
    EXPECT_EQ(fs::file_size(dcCopy), fs::file_size(saved));
    EXPECT_FALSE(fs::exists(program.folder() / "6865.012345.bin"));
}

TEST(CliRun, CtrlCDuringTheUploadClosesWithTheRecoveryAndGivesTheProfileBack) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));
    QProcess run;
    program.start(run, {"--cli", "--port", sim.port(), "--yes", "--json"});
    std::string out;
    while (!HalfwayThroughSection1(out) && run.waitForReadyRead(RunLimitMs))
        out += run.readAllStandardOutput().toStdString();
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    ASSERT_TRUE(run.waitForFinished(RunLimitMs));
    out += run.readAllStandardOutput().toStdString();
    EXPECT_EQ(run.exitCode(), 1) << out;  // not updated; nothing waits to be written back
    EXPECT_EQ(EventsOf(ParseJsonEvents(out), "answer").size(), 2u) << out;  // Yes, then OK
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(program.folder() / "6865.012345.bin"));
}

// Output that goes on while the program runs: what has been written so far.
std::string ReadUntil(QProcess& run, std::string& out, const std::function<bool()>& enough) {
    while (!enough() && run.waitForReadyRead(RunLimitMs)) out += run.readAllStandardOutput().toStdString();
    return out;
}

std::vector<fs::path> RecordsIn(const fs::path& folder) {
    std::vector<fs::path> records;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().starts_with("task-log-")) records.push_back(e.path());
    return records;
}

std::string FileText(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The cable pulled in section 1 and never put back, with --yes: the recovery tries a
// few times and ends by itself, the profile left in its file.
TEST(CliRun, CableLeftOutAfterAFailedSection1EndsWithinTheTryLimitAndNamesTheFile) {
    EnsureApplication();
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--pull-cable", "250"});
    SimProcess sim(options);
    ProgramCopy program;
    const fs::path backup = program.folder() / "6865.012345.bin";
    QElapsedTimer clock;
    clock.start();
    const Outcome run = program.run({"--cli", "--port", sim.port(), "--yes", "--json"});
    EXPECT_EQ(run.exit, 4) << run.out.substr(0, 20000) << run.err;
    EXPECT_LT(run.out.size(), 1'000'000u);
    EXPECT_LT(clock.elapsed(), RunLimitMs / 2);
    const std::vector<JsonEvent> events = ParseJsonEvents(run.out);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().at("backup"), backup.string());
    EXPECT_LE(EventsOf(events, "question").size(), 2u + TerminalAnswersRetryLimit);  // Yes, the tries, the give-up
    EXPECT_TRUE(fs::exists(backup));
}

// A run stopped by signals: it ended by itself with exit 4, the profile kept in its
// backup file, and every attempt recorded as interrupted.
void ExpectInterruptedWithTheProfileInItsFile(QProcess& run, const ProgramCopy& program) {
    ASSERT_TRUE(run.waitForFinished(RunLimitMs));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 4);
    EXPECT_TRUE(fs::exists(program.folder() / "6865.012345.bin"));
    const auto records = RecordsIn(program.folder());
    ASSERT_FALSE(records.empty());
    for (const fs::path& record : records)
        EXPECT_NE(FileText(record).find("Interrupted"), std::string::npos) << FileText(record);
}

// A remote shell that drops or `timeout`: the close sequence runs with the safe answers,
// the profile stays in its file, and the run says so and keeps its record.
TEST(CliRun, TerminateInSection1ClosesKeepsTheProfileInItsFileAndRecordsTheAttempt) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    const fs::path backup = program.folder() / "6865.012345.bin";
    QProcess run;
    program.start(run, {"--cli", "--port", sim.port(), "--yes", "--json"});
    std::string out;
    ReadUntil(run, out, [&out] { return HalfwayThroughSection1(out); });
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(RunLimitMs));
    out += run.readAllStandardOutput().toStdString();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 4) << out;
    const std::vector<JsonEvent> events = ParseJsonEvents(out);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().at("event"), "outcome");
    EXPECT_EQ(events.back().at("backup"), backup.string());
    EXPECT_TRUE(EventsOf(events, "answer").empty()) << out;  // nobody was asked to write it back
    EXPECT_TRUE(fs::exists(backup));
    const auto records = RecordsIn(program.folder());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(FileText(records[0]).find("Interrupted"), std::string::npos) << FileText(records[0]);
}

// `vor-fwupdate --cli | head`: the reader goes away; the update goes on.
TEST(CliRun, ReaderOfTheOutputGoingAwayDoesNotStopTheUpdate) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));
    QProcess run;
    QProcess reader;  // reads the first lines, then goes away
    run.setStandardOutputProcess(&reader);
    // As under a shell: Qt ignores SIGPIPE, and a child would inherit that.
    run.setChildProcessModifier([] { ::signal(SIGPIPE, SIG_DFL); });
    reader.start(QStringLiteral("head"), {QStringLiteral("-c"), QStringLiteral("200")});
    program.start(run, {"--cli", "--port", sim.port(), "--yes"});
    ASSERT_TRUE(reader.waitForFinished(RunLimitMs));
    ASSERT_TRUE(run.waitForFinished(RunLimitMs));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    ASSERT_EQ(RecordsIn(program.folder()).size(), 1u);
}

// A port or image named on the command line that cannot be used: the name and the
// system's reason, and nothing else is blamed.
struct UnusableName {
    const char* name;
    const char* option;  // --port or --image
    std::function<fs::path(const fs::path& folder)> make;
    std::string reason;
};

class CliUnusableName : public ::testing::TestWithParam<UnusableName> {};

TEST_P(CliUnusableName, IsNamedWithTheReasonAndNothingChanges) {
    EnsureApplication();
    ProgramCopy program;
    const UnusableName& c = GetParam();
    const std::string name = c.make(program.folder()).string();
    std::vector<std::string> args = {"--cli", "--json", c.option, name};
    if (std::string(c.option) == "--image") args.insert(args.end(), {"--port", "/dev/null"});
    const Outcome run = program.run(args);
    EXPECT_EQ(run.exit, 3) << run.out << run.err;
    const std::vector<JsonEvent> events = ParseJsonEvents(run.out);
    const std::string told =
        std::string(c.option) == "--port"
            ? (EventsOf(events, "question").empty() ? "" : EventsOf(events, "question")[0].at("text"))
            : run.err;
    EXPECT_NE(told.find(name), std::string::npos) << told;
    EXPECT_NE(told.find(c.reason), std::string::npos) << told;
    EXPECT_EQ(told.find("Another program"), std::string::npos) << told;
    EXPECT_EQ(told.find("cable was not found"), std::string::npos) << told;
}

fs::path Missing(const fs::path& folder) { return folder / "nothing-here"; }
fs::path LinkLoop(const fs::path& folder) {
    fs::create_symlink(folder / "loop", folder / "loop");
    return folder / "loop";
}
fs::path PlainFile(const fs::path& folder) {
    std::ofstream(folder / "plain.txt") << "text";
    return folder / "plain.txt";
}
fs::path Folder(const fs::path& folder) {
    fs::create_directory(folder / "folder");
    return folder / "folder";
}
fs::path Fifo(const fs::path& folder) {
    ::mkfifo((folder / "fifo").c_str(), 0600);
    return folder / "fifo";
}

INSTANTIATE_TEST_SUITE_P(
    CliRun, CliUnusableName,
    ::testing::Values(UnusableName{"MissingPort", "--port", Missing, "No such file or directory"},
                      UnusableName{"PortInALinkLoop", "--port", LinkLoop, "Too many levels of symbolic links"},
                      UnusableName{"PortNameTooLong", "--port",
                                   [](const fs::path& folder) { return folder / std::string(5000, 'x'); },
                                   "File name too long"},
                      UnusableName{"PlainFileAsPort", "--port", PlainFile, "Inappropriate ioctl for device"},
                      UnusableName{"DeviceThatIsNoSerialLineAsPort", "--port",
                                   [](const fs::path&) { return fs::path("/dev/null"); },
                                   "Inappropriate ioctl for device"},
                      UnusableName{"MissingImage", "--image", Missing, "No such file or directory"},
                      UnusableName{"FolderAsImage", "--image", Folder, "a folder, not a file"},
                      UnusableName{"FifoAsImage", "--image", Fifo, "a FIFO, not a file"},
                      UnusableName{"ImageInALinkLoop", "--image", LinkLoop, "Too many levels of symbolic links"}),
    [](const auto& row) { return std::string(row.param.name); });

// A pipe to standard output that nobody reads, as small as the system allows: a stalled
// remote shell, Ctrl-S on a terminal, a script that stopped reading.
class UnreadOutput {
public:
    explicit UnreadOutput(const fs::path& folder) : fifo_(folder / "stdout.fifo") {
        ::mkfifo(fifo_.c_str(), 0600);
        reader_ = ::open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
        ::fcntl(reader_, F_SETPIPE_SZ, 4096);
    }
    ~UnreadOutput() { ::close(reader_); }
    void attach(QProcess& process) const { process.setStandardOutputFile(QString::fromStdString(fifo_.string())); }

private:
    fs::path fifo_;
    int reader_ = -1;
};

// The sim's answer to a control line, polled until `holds` is true.
void WaitForSim(SimProcess& sim, const std::string& line, const std::function<bool(const std::string&)>& holds) {
    for (int i = 0; i < RunLimitMs / 50 && !holds(sim.command(line)); ++i) QThread::msleep(50);
}

int ExchangesOf(const std::string& status) {
    const auto at = status.find("exchanges ");
    return at == std::string::npos ? 0 : std::atoi(status.c_str() + at + 10);
}

TEST(CliRun, WholeUpdateWithNobodyReadingTheOutputEndsZero) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));
    const UnreadOutput output(program.folder());
    QProcess run;
    output.attach(run);
    program.start(run, {"--cli", "--port", sim.port(), "--yes", "--json"});
    ASSERT_TRUE(run.waitForFinished(RunLimitMs));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    ASSERT_EQ(RecordsIn(program.folder()).size(), 1u);
}

TEST(CliRun, TerminateInSection2WhileNobodyReadsTheOutputEndsWithItsRecord) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    const UnreadOutput output(program.folder());
    QProcess run;
    output.attach(run);
    program.start(run, {"--cli", "--port", sim.port(), "--yes", "--json"});
    WaitForSim(sim, "dump firmware", [](const std::string& s) { return s.find("section 1") != std::string::npos; });
    const int section1Done = ExchangesOf(sim.command("status"));
    WaitForSim(sim, "status", [&](const std::string& s) { return ExchangesOf(s) > section1Done + 100; });
    ASSERT_EQ(sim.command("dump firmware").find("section 2"), std::string::npos);  // still in section 2
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    ExpectInterruptedWithTheProfileInItsFile(run, program);
}

// The DC's port reached through a second name while a run holds it: the second run is
// refused at the port, names the first one's process and sends nothing; the first one
// goes on and updates the DC.
TEST(CliRun, SecondRunThroughAnotherNameOfThePortIsRefusedAndTheFirstFinishes) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    ProgramCopy otherCopy;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));
    const fs::path otherName = otherCopy.folder() / "by-id-port";
    fs::create_symlink(sim.port(), otherName);
    QProcess first;
    program.start(first, {"--cli", "--port", sim.port(), "--json"}, "keep open");  // waits on its first page
    ASSERT_TRUE(first.waitForReadyRead(RunLimitMs));
    const int exchanges = ExchangesOf(sim.command("status"));

    const Outcome second = otherCopy.run({"--cli", "--port", otherName.string(), "--json", "--yes"});
    EXPECT_EQ(second.exit, 3) << second.out << second.err;
    const auto questions = EventsOf(ParseJsonEvents(second.out), "question");
    ASSERT_FALSE(questions.empty()) << second.out;
    EXPECT_NE(questions[0].at("text").find("process " + std::to_string(first.processId())), std::string::npos)
        << questions[0].at("text");
    EXPECT_EQ(ExchangesOf(sim.command("status")), exchanges);

    first.write("\n\n");
    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(RunLimitMs));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardOutput().toStdString();
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
}

// Two cables, two DCs or one DC known by its serial number, and one backup folder:
// runs on two DCs both finish; a second run on the same DC stops once it has read the
// DC's serial number, before any backup or code, and names the run that holds it.
struct TwoCablesRow {
    const char* name;
    const char* secondSerial;
    int secondExit;
};

class CliTwoCables : public ::testing::TestWithParam<TwoCablesRow> {};

TEST_P(CliTwoCables, OnOneBackupFolderNeverMixOneDc) {
    EnsureApplication();
    std::vector<std::string> secondOptions = QuickDc;
    secondOptions.insert(secondOptions.end(), {"--serial", GetParam().secondSerial});
    SimProcess sim(QuickDc);
    SimProcess otherSim(secondOptions);
    ProgramCopy program;
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));
    const auto otherBefore = ProfileLines(otherSim.memory(program.folder() / "other-before.dump"));
    QProcess first;
    program.start(first, {"--cli", "--port", sim.port(), "--yes", "--json"});
    std::string out;
    ReadUntil(first, out, [&out] { return HalfwayThroughSection1(out); });

    const Outcome second = program.run({"--cli", "--port", otherSim.port(), "--yes", "--json"});
    EXPECT_EQ(second.exit, GetParam().secondExit) << second.out << second.err;
    if (GetParam().secondExit == 3) {
        const auto rows = EventsOf(ParseJsonEvents(second.out), "row");
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const JsonEvent& e) {
            return e.at("text").find("process " + std::to_string(first.processId())) != std::string::npos;
        })) << second.out;
        EXPECT_EQ(otherSim.command("dump firmware").find("section"), std::string::npos);  // no code went out
    }
    EXPECT_EQ(ProfileLines(otherSim.memory(program.folder() / "other-after.dump")), otherBefore);

    ASSERT_TRUE(first.waitForFinished(RunLimitMs));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(program.folder() / "6865.012345.bin"));
}

INSTANTIATE_TEST_SUITE_P(CliRun, CliTwoCables,
                         ::testing::Values(TwoCablesRow{"TwoDcs", "54321", 0}, TwoCablesRow{"OneDc", "12345", 3}),
                         [](const auto& row) { return std::string(row.param.name); });

// Ctrl-C, and Ctrl-C again while the close sequence writes the profile back: the run
// ends at once, the profile stays in its file, and the attempt is still recorded.
TEST(CliRun, TwoCtrlCInARowEndAtOnceWithTheBackupKeptAndTheAttemptRecorded) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    QProcess run;
    program.start(run, {"--cli", "--port", sim.port(), "--yes", "--json"});
    std::string out;
    ReadUntil(run, out, [&out] { return HalfwayThroughSection1(out); });
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    const std::size_t interrupted = out.size();
    ReadUntil(run, out, [&] { return out.find("\"event\":\"answer\"", interrupted) != std::string::npos; });
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    ExpectInterruptedWithTheProfileInItsFile(run, program);
}

// Enter on the first page, then the input ends on the Deep Sleep page: the DC was told
// to sleep, and the last line says so.
TEST(CliRun, EndOfInputAtTheDeepSleepPageSaysWhatWasSent) {
    EnsureApplication();
    SimProcess sim(QuickDc);
    ProgramCopy program;
    const Outcome run = program.run({"--cli", "--port", sim.port(), "--json"}, "\n");
    EXPECT_EQ(run.exit, 3) << run.out << run.err;
    const std::vector<JsonEvent> events = ParseJsonEvents(run.out);
    ASSERT_EQ(EventsOf(events, "page").size(), 2u) << run.out;
    EXPECT_NE(events.back().at("message").find("Deep Sleep"), std::string::npos) << events.back().at("message");
    EXPECT_EQ(events.back().at("message").find("Nothing was sent"), std::string::npos) << events.back().at("message");
}

// The backup folder on a file system of its own that is read-only, or too full for the
// backup: the run ends 3, naming the folder and the system's reason. Needs the rights to
// mount in a namespace of its own (root); skipped without them.
struct UnusableFolder {
    const char* name;
    const char* prepare;  // shell lines run on the mounted folder "$1" after the program is copied in
    const char* reason;
};

class CliUnusableBackupFolder : public ::testing::TestWithParam<UnusableFolder> {};

TEST_P(CliUnusableBackupFolder, IsNamedWithTheSystemsReasonAndNothingChanges) {
    EnsureApplication();
    if (::geteuid() != 0 || QProcess::execute(QStringLiteral("unshare"), {"-m", "true"}) != 0)
        GTEST_SKIP() << "mounting a file system of its own needs root and unshare";
    SimProcess sim(QuickDc);
    ProgramCopy program;
    QTemporaryDir mountPoint;
    const std::string folder = mountPoint.path().toStdString();
    // Room for the program (a sanitizer build is several times larger) and 20 MiB more.
    const std::string script =
        std::string("set -e; mount -t tmpfs -o size=$(( $(du -sk \"$2\" | cut -f1) + 20480 ))k ") + "tmpfs \"$1\"; " +
        "cp \"$2\"/vor-fwupdate \"$2\"/FirmwareUpdate.lng \"$2\"/VOR.1H.FWR \"$1\"/; " + GetParam().prepare +
        "; shift 2; exec \"$0\"/vor-fwupdate \"$@\"";
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(folder + "/data"));
    run.setProcessEnvironment(env);
    run.start(QStringLiteral("unshare"),
              {"-m", "sh", "-c", QString::fromStdString(script), QString::fromStdString(folder),
               QString::fromStdString(folder), QString::fromStdString(program.folder().string()), "--cli", "--port",
               QString::fromStdString(sim.port()), "--yes", "--json"});
    ASSERT_TRUE(run.waitForFinished(RunLimitMs));
    const std::string out = run.readAllStandardOutput().toStdString();
    EXPECT_EQ(run.exitCode(), 3) << out << run.readAllStandardError().toStdString();
    const auto rows = EventsOf(ParseJsonEvents(out), "row");
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const JsonEvent& e) {
        return e.at("text").find(folder) != std::string::npos &&
               e.at("text").find(GetParam().reason) != std::string::npos;
    })) << out;
    EXPECT_EQ(sim.command("dump firmware").find("section"), std::string::npos);  // no code went out
}

INSTANTIATE_TEST_SUITE_P(
    CliRun, CliUnusableBackupFolder,
    ::testing::Values(UnusableFolder{"ReadOnly", "mount -o remount,ro \"$1\"", "Read-only file system"},
                      // All but 100 KiB filled: the backup (260 KiB) does not fit.
                      UnusableFolder{"Full",
                                     "dd if=/dev/zero of=\"$1\"/filler bs=64k 2>/dev/null || true; "
                                     "truncate -s -100K \"$1\"/filler",
                                     "No space left on device"}),
    [](const auto& row) { return std::string(row.param.name); });

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
