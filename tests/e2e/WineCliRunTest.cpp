// vor-fwupdate.com --cli under Wine against `vor-tool sim`: the pseudo-terminal of the
// simulator is a COM port of the private Wine prefix (dosdevices/comN links to it), so
// the Windows program reaches it through \\.\COMn and its own Win32 serial port. Real
// time; run by `make windows-test`, which sets WINEPREFIX and VOR_WINDOWS_PROGRAM_DIR.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "firmware/UpdateSequence.h"
#include "flow/WizardFlow.h"
#include "profile/ProfileKeeper.h"
#include "tests/e2e/JsonEvents.h"
#include "tests/e2e/SimProcess.h"

namespace vor::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int RunLimitMs = 300000;
constexpr double ByteSeconds = 10.0 / 38400.0;
constexpr double RatioAim = 1.05;
constexpr int WakeAfterSeconds = 1;
const std::vector<std::string> QuickDc = {"--restart-after", "1", "--wake-after", std::to_string(WakeAfterSeconds)};
const std::string Backup = "6865.012345.bin";

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct WineRun {
    int exit = -1;
    std::string out;
    std::string err;
    double attemptSeconds = 0.0;  // from the attempt event to the end of the program
    std::uintmax_t logBytesAtAttempt = 0;
};

// How a run is started and what happens while it runs.
struct RunSetup {
    std::string input = {};      // what is typed
    bool keepInputOpen = false;  // else the input ends after it
    fs::path trafficLog = {};    // the simulator's --log-hex file: its size when the attempt started
    // Names and values without blanks: the command prompt sets those variables and
    // starts the program, as a diver types it in cmd.
    std::vector<std::pair<std::string, std::string>> windowsEnvironment = {};
    std::function<bool(const std::string& out)> midway = {};  // done once, when it returns true
};

// The Windows name of a file of this system (Wine's drive Z: is the root).
std::string WindowsPath(const fs::path& path) {
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// The Windows program's folder copied (into `subfolder` of a fresh folder), and one COM
// port of the prefix linked to the simulator.
class WineProgram {
public:
    WineProgram(const SimProcess& sim, int comNumber, const fs::path& subfolder = {})
        : comName_("COM" + std::to_string(comNumber)), folder_(fs::path(dir_.path().toStdString()) / subfolder) {
        fs::create_directories(folder_);
        const fs::path programDir = EnvironmentValue("VOR_WINDOWS_PROGRAM_DIR");
        const fs::path prefix = EnvironmentValue("WINEPREFIX");
        if (programDir.empty() || prefix.empty()) {
            ADD_FAILURE() << "WINEPREFIX and VOR_WINDOWS_PROGRAM_DIR must be set (make windows-test sets them)";
            return;
        }
        for (const char* file : {"vor-fwupdate.exe", "vor-fwupdate.com", "FirmwareUpdate.lng", "VOR.1H.FWR"})
            fs::copy_file(programDir / file, folder() / file);
        link_ = prefix / "dosdevices" / ("com" + std::to_string(comNumber));
        plugInto(sim);
    }
    ~WineProgram() {
        std::error_code ec;
        if (!link_.empty()) fs::remove(link_, ec);
    }

    // The port now leads to `sim`: another cable, or the same one on another DC.
    void plugInto(const SimProcess& sim) {
        std::error_code ec;
        fs::remove(link_, ec);
        fs::create_symlink(sim.port(), link_);
    }
    // The cable out of the PC: its port is gone.
    void unplug() {
        std::error_code ec;
        fs::remove(link_, ec);
    }
    bool ready() const { return !link_.empty(); }
    const fs::path& folder() const { return folder_; }
    fs::path top() const { return dir_.path().toStdString(); }
    const std::string& comName() const { return comName_; }

    // `wine vor-fwupdate.com args`, as `setup` says.
    WineRun run(const std::vector<std::string>& args, const RunSetup& setup = {}) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(folder().string()));
        QStringList arguments{QString::fromStdString((folder() / "vor-fwupdate.com").string())};
        if (!setup.windowsEnvironment.empty()) {
            // Wine gives every program its own user folders; cmd passes on what it sets,
            // and finds the terminal program as "vor-fwupdate", before the window's .exe.
            std::string line;
            for (const auto& [name, value] : setup.windowsEnvironment) line += "set " + name + "=" + value + "&&";
            arguments = QStringList{QStringLiteral("cmd"), QStringLiteral("/c"),
                                    QString::fromStdString(line + WindowsPath(folder() / "vor-fwupdate"))};
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));  // the names reach Wine intact
            process.setProcessEnvironment(env);
        }
        for (const std::string& a : args) arguments << QString::fromStdString(a);
        process.start(QStringLiteral("wine"), arguments);
        process.waitForStarted();
        process.write(setup.input.data(), static_cast<qint64>(setup.input.size()));
        if (!setup.keepInputOpen) process.closeWriteChannel();

        WineRun run;
        bool midwayDone = false;
        QElapsedTimer sinceAttempt;
        QElapsedTimer limit;
        limit.start();
        while (process.state() != QProcess::NotRunning && limit.elapsed() < RunLimitMs) {
            process.waitForReadyRead(100);
            run.out += process.readAllStandardOutput().toStdString();
            if (setup.midway && !midwayDone && (midwayDone = setup.midway(run.out))) continue;
            if (!sinceAttempt.isValid() && run.out.find("\"event\":\"attempt\"") != std::string::npos) {
                sinceAttempt.start();
                std::error_code ec;
                if (!setup.trafficLog.empty()) run.logBytesAtAttempt = fs::file_size(setup.trafficLog, ec);
            }
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        run.out += process.readAllStandardOutput().toStdString();
        run.out.erase(std::remove(run.out.begin(), run.out.end(), '\r'), run.out.end());
        run.err = process.readAllStandardError().toStdString();
        run.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        if (sinceAttempt.isValid()) run.attemptSeconds = static_cast<double>(sinceAttempt.nsecsElapsed()) / 1e9;
        return run;
    }

private:
    QTemporaryDir dir_;
    std::string comName_;
    fs::path folder_;
    fs::path link_;
};

// Bytes of the simulator's hex traffic log past `offset`, both directions.
std::size_t WireBytesAfter(const fs::path& trafficLog, std::uintmax_t offset) {
    std::ifstream in(trafficLog);
    in.seekg(static_cast<std::streamoff>(offset));
    std::size_t bytes = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        while (words >> word)
            if (word.size() == 2 && std::isxdigit(static_cast<unsigned char>(word[0])) &&
                std::isxdigit(static_cast<unsigned char>(word[1])))
                ++bytes;
    }
    return bytes;
}

std::string OutcomeField(const std::string& out, const std::string& field) {
    const std::vector<JsonEvent> events = ParseJsonEvents(out);
    if (events.empty() || events.back().at("event") != "outcome") return {};
    const auto found = events.back().find(field);
    return found == events.back().end() ? std::string() : found->second;
}

TEST(WineCliRun, WholeUpdateThroughAComPortExitsZeroWithTheProfileBackAndNoBackupLeft) {
    const fs::path trafficLog = fs::temp_directory_path() / ("vor-wine-traffic-" + std::to_string(::getpid()));
    // No processing delay: the DC's own thinking is no part of the program's time.
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--log-hex", "--processing-delay", "0"});
    SimProcess sim(options, trafficLog);
    ASSERT_FALSE(sim.port().empty());
    WineProgram program(sim, 7);
    ASSERT_TRUE(program.ready());
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));

    const WineRun run =
        program.run({"--cli", "--port", program.comName(), "--yes", "--json"}, {.trafficLog = trafficLog});
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
    EXPECT_EQ(OutcomeField(run.out, "result"), "updated") << run.out;
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(program.folder() / Backup));

    // The floor: every byte of the attempt on the wire at 38400 bit/s, and the waits the
    // update must keep (the DC's two restarts, the profile header's and read-back's settling, Close).
    const std::size_t bytes = WireBytesAfter(trafficLog, run.logBytesAtAttempt);
    const double wire = static_cast<double>(bytes) * ByteSeconds;
    const double waits = RestartWaitBetweenSections + RestartWaitSection2 + ProfileKeeper::HeaderSettleSeconds +
                         ProfileKeeper::ReadBackSettleSeconds + WizardFlow::CloseWaitSeconds;
    const double floor = wire + waits;
    std::printf(
        "update under Wine: %.1f s from the attempt to the exit; floor %.1f s (%zu bytes on the wire %.1f s "
        "+ waits %.1f s); ratio %.3f (aim <= %.2f)\n",
        run.attemptSeconds, floor, bytes, wire, waits, run.attemptSeconds / floor, RatioAim);
    std::error_code ec;
    fs::remove(trafficLog, ec);
}

// The profile commands of the Windows program through a COM port: a backup to a dated
// file with --yes (the DC wakes a second after its Deep Sleep command), then a restore
// of that file into the same DC after dives, which keeps what the DC held aside.
TEST(WineCliRun, BackupAndRestoreThroughAComPortGiveTheSavedProfileBack) {
    SimProcess sim(QuickDc);
    ASSERT_FALSE(sim.port().empty());
    WineProgram program(sim, 9);
    ASSERT_TRUE(program.ready());
    const auto saved = UsedProfile(sim.memory(program.top() / "saved.dump"));
    const WineRun backup = program.run({"--cli", "--backup", "--port", program.comName(), "--yes", "--json"});
    ASSERT_EQ(backup.exit, 0) << backup.out << backup.err;
    const std::string file = OutcomeField(backup.out, "file");
    EXPECT_NE(file.find(".saved-"), std::string::npos) << backup.out;

    std::vector<std::string> dived = QuickDc;
    dived.insert(dived.end(), {"--seed", "2"});
    SimProcess divedDc(dived);
    ASSERT_FALSE(divedDc.port().empty());
    program.plugInto(divedDc);
    ASSERT_NE(UsedProfile(divedDc.memory(program.top() / "dived.dump")), saved);
    const WineRun restore = program.run({"--cli", "--restore", file, "--port", program.comName(), "--yes", "--json"});
    ASSERT_EQ(restore.exit, 0) << restore.out << restore.err;
    EXPECT_EQ(UsedProfile(divedDc.memory(program.top() / "restored.dump")), saved);
    EXPECT_NE(OutcomeField(restore.out, "dcCopy").find(".set-aside-"), std::string::npos) << restore.out;
    EXPECT_FALSE(fs::exists(program.folder() / Backup));
}

// A Windows program of the test build beside the program's folder; empty when it is missing.
fs::path TestHelper(const char* name) {
    const fs::path helper = fs::path(EnvironmentValue("VOR_WINDOWS_PROGRAM_DIR")) / ".." / "tests-bin" / name;
    return fs::exists(helper) ? helper : fs::path();
}

// A console control event, sent the way the console sends it.
struct ConsoleEvent {
    const char* event;  // of vor-console-event
    bool atPrompt;  // at "Press Enter for Next" (nothing sent to the DC yet), else halfway through section 1 with --yes
    int exit;
    int com;  // a port of the row's own: the rows run side by side
    // Before the event a second program is started on the same port: it is told that
    // another program is using the port and sends the DC nothing.
    bool secondProgram = false;
};

class WineConsoleEvent : public ::testing::TestWithParam<ConsoleEvent> {};

// The console window closed, the user logging off, the machine shutting down in the
// middle of section 1: the run ends as on SIGTERM, with the safe answers, the profile in
// its file, the outcome that names it and the attempt's record. Ctrl-C there closes with
// the recovery (--yes answers it), and at a prompt it ends the wait at once.
TEST_P(WineConsoleEvent, EndsTheRunAsOnLinuxAndKeepsTheAccountOfIt) {
    const ConsoleEvent& row = GetParam();
    const fs::path sender = TestHelper("vor-console-event.exe");
    if (sender.empty()) GTEST_SKIP() << "vor-console-event.exe is built by the Windows build";
    SimProcess sim(QuickDc);
    ASSERT_FALSE(sim.port().empty());
    WineProgram program(sim, row.com);
    ASSERT_TRUE(program.ready());
    const auto before = ProfileLines(sim.memory(program.top() / "before.dump"));
    WineRun second;
    bool sent = false;  // the event reached the program while it ran
    const auto send = [&](const std::string& out) {
        if (row.atPrompt ? out.find("\"event\":\"wait\"") == std::string::npos : !HalfwayThroughSection1(out))
            return false;
        if (row.secondProgram) second = program.run({"--cli", "--port", program.comName(), "--yes", "--json"});
        return sent =
                   QProcess::execute(QStringLiteral("wine"),
                                     {QString::fromStdString(sender.string()), QString::fromLatin1(row.event),
                                      QString::fromStdString(WindowsPath(program.folder() / "vor-fwupdate.com"))}) == 0;
    };
    std::vector<std::string> args = {"--cli", "--port", program.comName(), "--json"};
    if (!row.atPrompt) args.push_back("--yes");
    const WineRun run = program.run(args, {.keepInputOpen = row.atPrompt, .midway = send});
    EXPECT_TRUE(sent) << run.out;
    EXPECT_EQ(run.exit, row.exit) << run.out << run.err;
    const std::vector<JsonEvent> events = ParseJsonEvents(run.out);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().at("event"), "outcome") << run.out;
    if (row.exit == 4) {
        EXPECT_EQ(OutcomeField(run.out, "backup"), WindowsPath(program.folder() / Backup)) << run.out;
        EXPECT_TRUE(EventsOf(events, "answer").empty()) << run.out;  // nobody was asked to write it back
        EXPECT_TRUE(fs::exists(program.folder() / Backup));
    } else {
        EXPECT_EQ(ProfileLines(sim.memory(program.top() / "after.dump")), before);
        EXPECT_FALSE(fs::exists(program.folder() / Backup));
    }
    if (row.secondProgram) {
        const std::vector<JsonEvent> asked = EventsOf(ParseJsonEvents(second.out), "question");
        ASSERT_FALSE(asked.empty()) << second.out;
        const std::string inUse = "Another program is using the interface cable's serial port " + program.comName();
        EXPECT_NE(asked.front().at("text").find(inUse), std::string::npos) << second.out;
        EXPECT_TRUE(EventsOf(ParseJsonEvents(second.out), "attempt").empty()) << second.out;
    }
    if (row.atPrompt) return;  // no attempt yet
    std::string records;       // every attempt's, one after another
    for (const auto& e : fs::directory_iterator(program.folder()))
        if (e.path().filename().string().starts_with("task-log-")) {
            std::ifstream in(e.path());
            records.append(std::istreambuf_iterator<char>(in), {});
        }
    EXPECT_NE(records.find("Interrupted"), std::string::npos) << records;
}

INSTANTIATE_TEST_SUITE_P(Events, WineConsoleEvent,
                         ::testing::Values(ConsoleEvent{"close", false, 4, 20, true},
                                           ConsoleEvent{"logoff", false, 4, 21}, ConsoleEvent{"shutdown", false, 4, 22},
                                           ConsoleEvent{"ctrl-c", false, 1, 23}, ConsoleEvent{"ctrl-c", true, 3, 24}));

// The prefix's registry lists COMn as a plugged-in FTDI cable with serial number
// `serial`, as Windows lists its serial ports, in place of the cable `before`.
void ListCable(const fs::path& scratch, int com, const std::string& serial, const std::string& before = {}) {
    const std::string devices = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_F460+";
    std::ofstream(scratch / "cable.reg")
        << "REGEDIT4\n\n"
        << (before.empty() ? "" : "[-" + devices + before + "]\n")
        << (serial.empty()
                ? ""
                : "[" + devices + serial + "\\0000]\n\"ClassGUID\"=\"{4D36E978-E325-11CE-BFC1-08002BE10318}\"\n[" +
                      devices + serial + "\\0000\\Device Parameters]\n\"PortName\"=\"COM" + std::to_string(com) +
                      "\"\n");
    QProcess::execute(QStringLiteral("wine"), {QStringLiteral("regedit"), QStringLiteral("/S"),
                                               QString::fromStdString(WindowsPath(scratch / "cable.reg"))});
}

struct PulledCable {
    bool anotherCableTakesThePort;  // another cable, with a DC behind it, plugged in under the port's name
    int com;
};

class WineCablePulled : public ::testing::TestWithParam<PulledCable> {};

// The cable pulled in section 1 with --yes and never put back, or another cable plugged
// in under its port's name: the recovery tries a few times and ends by itself, exit 4,
// naming the file that holds the profile; the other cable is never opened.
TEST_P(WineCablePulled, TheRunEndsByItselfNamingTheFileAndNeverTakesAnotherCable) {
    const PulledCable& row = GetParam();
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--pull-cable", "250"});
    SimProcess sim(options);
    ASSERT_FALSE(sim.port().empty());
    WineProgram program(sim, row.com);
    ASSERT_TRUE(program.ready());
    const fs::path otherTraffic = program.top() / "other.log";
    SimProcess other(std::vector<std::string>{"--log-hex"}, otherTraffic);
    const std::string cable = "VORA" + std::to_string(row.com);
    const std::string otherCable = "VORB" + std::to_string(row.com);
    ListCable(program.top(), row.com, cable);
    // Once the pulled cable has failed the upload (its row ends "Error") it is gone from
    // the system as a real one is, port and listing, before the recovery looks for it;
    // only then can another cable take its name. (Left listed, its name would lead to
    // whatever pseudo-terminal a test starts next under the same number.)
    bool pulled = false;
    const auto pull = [&](const std::string& out) {
        const auto attempt = out.find("\"event\":\"attempt\"");
        if (attempt == std::string::npos || out.find("\"status\":\"Error\"", attempt) == std::string::npos)
            return false;
        program.unplug();
        ListCable(program.top(), row.com, {}, cable);
        if (row.anotherCableTakesThePort) {
            program.plugInto(other);
            ListCable(program.top(), row.com, otherCable);
        }
        return pulled = true;
    };
    const WineRun run = program.run({"--cli", "--port", program.comName(), "--yes", "--json"}, {.midway = pull});
    EXPECT_TRUE(pulled) << run.out.substr(0, 20000);
    ListCable(program.top(), row.com, {}, row.anotherCableTakesThePort ? otherCable : cable);
    EXPECT_EQ(run.exit, 4) << run.out.substr(0, 20000) << run.err;
    EXPECT_LT(run.out.size(), 1'000'000u);
    EXPECT_EQ(OutcomeField(run.out, "backup"), WindowsPath(program.folder() / Backup)) << run.out.substr(0, 20000);
    EXPECT_TRUE(fs::exists(program.folder() / Backup));
    EXPECT_EQ(WireBytesAfter(otherTraffic, 0), 0u) << "the other cable was opened";
}

INSTANTIATE_TEST_SUITE_P(Cables, WineCablePulled, ::testing::Values(PulledCable{false, 25}, PulledCable{true, 26}));

// Installed in a folder named with accents and in Japanese (the texts and the image are
// found there), run from cmd by a user so named: the DC is silent in section 2, the run
// ends with exit 4 naming the backup, which lies in the user's data folder where the
// README says; a second run finds it (moved beside the program) and writes it back.
TEST(WineCliRun, AnInstalledProgramAndAUserNamedWithAccentsAndJapaneseKeepTheBackupWhereTheReadmeSays) {
    // Silent for 20 s from the 50th block of section 2: that run fails, the next one finds the DC back.
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--silent", "b7-data:50,20"});
    SimProcess sim(options);
    ASSERT_FALSE(sim.port().empty());
    WineProgram program(sim, 8, "Tauch-Ausrüstung/ダイビング");
    ASSERT_TRUE(program.ready());
    const fs::path user = program.top() / "users" / "Jörg-ダイビング" / "AppData" / "Local";
    fs::create_directories(user);
    const std::vector<std::pair<std::string, std::string>> windows = {
        {"LOCALAPPDATA", WindowsPath(user)},
        // A 64-bit program's ProgramFiles is made from ProgramW6432 when it starts.
        {"ProgramW6432", WindowsPath(program.folder().parent_path())}};
    const fs::path backups = user / "vor-fwupdate";
    const auto before = ProfileLines(sim.memory(program.top() / "before.dump"));

    // No terminal and no --yes: Enter twice from a script, and the recovery question is left alone.
    const WineRun failed =
        program.run({"--cli", "--port", program.comName(), "--json"}, {.input = "\n\n", .windowsEnvironment = windows});
    EXPECT_EQ(failed.exit, 4) << failed.out << failed.err;
    EXPECT_EQ(OutcomeField(failed.out, "backup"), WindowsPath(backups / Backup)) << failed.out;
    EXPECT_NE(OutcomeField(failed.out, "message").find(WindowsPath(backups / Backup)), std::string::npos) << failed.out;
    ASSERT_TRUE(fs::exists(backups / Backup));
    const auto isRecord = [](const fs::directory_entry& e) {
        return e.path().filename().string().starts_with("task-log-");
    };
    EXPECT_TRUE(std::any_of(fs::directory_iterator(backups), fs::directory_iterator(), isRecord))
        << "the attempt's record lies beside the backup";
    EXPECT_NE(ProfileLines(sim.memory(program.top() / "between.dump")), before);

    // As if a copy that keeps its backups beside itself had saved it: the installed
    // program looks in its own folder too, and writes it back from there.
    fs::rename(backups / Backup, program.folder() / Backup);
    fs::rename(fs::path(backups / Backup) += ".sha256", fs::path(program.folder() / Backup) += ".sha256");
    const WineRun again =
        program.run({"--cli", "--port", program.comName(), "--yes", "--json"}, {.windowsEnvironment = windows});
    EXPECT_EQ(again.exit, 0) << again.out << again.err;
    EXPECT_EQ(ProfileLines(sim.memory(program.top() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(backups / Backup));
    EXPECT_FALSE(fs::exists(program.folder() / Backup));
}

}  // namespace
}  // namespace vor::e2e
