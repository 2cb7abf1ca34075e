// The installed vor-fwupdate.exe in its window under Wine, on a virtual X display
// (Xvfb), driven like a person would: real mouse clicks on its buttons and Enter in its
// message boxes (xdotool), against `vor-tool sim` on a COM port of the private Wine
// prefix. What the window said is read from the attempt records in the user's data
// folder and kept as screenshots (VOR_SCREENSHOTS). Real time; run by `make
// windows-test`, which sets WINEPREFIX and VOR_WINDOWS_INSTALLER.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/SimProcess.h"

namespace vor::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int InstallLimitMs = 120000;
constexpr int WindowLimitMs = 60000;
constexpr int UpdateLimitMs = 300000;
constexpr int ExitLimitMs = 60000;
constexpr int ComNumber = 11;
const std::string Backup = "6865.012345.bin";
const std::string Finished = "Finished without errors";
// Where the Qt window and this one put their buttons: the centre of each, in client
// pixels (the twips of the control table at 15 twips to a pixel).
constexpr int ButtonCentreY = 424 + 12;
constexpr int NextCentreX = 400 + 48;
constexpr int CloseCentreX = 576 + 48;
// Quick DC: a second for each restart and for waking from Deep Sleep by itself.
const std::vector<std::string> QuickDc = {"--restart-after", "1", "--wake-after", "1"};

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Polls `done` every 100 ms until it holds or `limitMs` has passed.
bool WaitFor(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) return false;
        QThread::msleep(100);
    }
    return true;
}

// A virtual X display of its own for the test.
class VirtualDisplay {
public:
    VirtualDisplay() {
        server_.setStandardErrorFile(QProcess::nullDevice());  // nobody reads it: it must never fill up
        server_.start(
            QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
             QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        std::string number;
        WaitFor(
            [&] {
                server_.waitForReadyRead(100);
                number += server_.readAllStandardOutput().toStdString();
                return number.find('\n') != std::string::npos || server_.state() == QProcess::NotRunning;
            },
            10000);
        if (number.find('\n') != std::string::npos) name_ = ":" + number.substr(0, number.find('\n'));
    }
    ~VirtualDisplay() {
        server_.terminate();
        server_.waitForFinished(5000);
    }
    const std::string& name() const { return name_; }

    // An X tool's output on this display.
    std::string tool(const QString& program, const QStringList& args) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(name_));
        process.setProcessEnvironment(env);
        process.start(program, args);
        process.waitForFinished(10000);
        return process.readAllStandardOutput().toStdString();
    }
    std::vector<std::string> visibleWindows(const QString& name = QStringLiteral(".")) const {
        std::istringstream ids(
            tool(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), name}));
        std::vector<std::string> found;
        for (std::string id; ids >> id;) found.push_back(id);
        return found;
    }
    bool shows(const std::string& window) const {
        const std::vector<std::string> visible = visibleWindows();
        return std::find(visible.begin(), visible.end(), window) != visible.end();
    }
    void click(const std::string& window, int x, int y) const {
        tool(QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QStringLiteral("--window"), QString::fromStdString(window),
              QString::number(x), QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
    }
    void pressEnter(const std::string& window) const {
        tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"),
                                         QString::fromStdString(window), QStringLiteral("Return")});
    }
    // The whole screen into VOR_SCREENSHOTS/<name>.png, when that is set.
    void screenshot(const std::string& name) const {
        const fs::path folder = EnvironmentValue("VOR_SCREENSHOTS");
        if (folder.empty()) return;
        fs::create_directories(folder);
        tool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                        QString::fromStdString((folder / (name + ".png")).string())});
    }

private:
    QProcess server_;
    std::string name_;
};

// The private Wine prefix with the program installed by its installer.
constexpr int ImageSubsystemWindowsGui = 2;
constexpr int ImageSubsystemWindowsConsole = 3;

// The subsystem field of a Windows program's PE header; -1 when it has none.
int PeSubsystem(const fs::path& program) {
    std::ifstream in(program, std::ios::binary);
    const auto readAt = [&in](std::streamoff at, int bytes) {
        unsigned char b[4] = {};
        in.seekg(at);
        in.read(reinterpret_cast<char*>(b), bytes);
        return in ? static_cast<long>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<unsigned long>(b[3]) << 24) : -1L;
    };
    const long header = readAt(0x3C, 4);  // e_lfanew
    if (header <= 0) return -1;
    return static_cast<int>(readAt(header + 0x5C, 2));  // after the signature and the file header
}

class WineWindowRun : public ::testing::Test {
protected:
    void SetUp() override {
        prefix_ = EnvironmentValue("WINEPREFIX");
        const std::string installer = EnvironmentValue("VOR_WINDOWS_INSTALLER");
        ASSERT_FALSE(prefix_.empty() || installer.empty())
            << "WINEPREFIX and VOR_WINDOWS_INSTALLER must be set (make windows-test sets them)";
        ASSERT_FALSE(display_.name().empty()) << "Xvfb did not start";
        // A Wine session of this test's own (these tests run alone): a desktop that a
        // process without a display started (the terminal's runs) would keep every
        // window of the session away from the X server.
        for (const char* step : {"-k", "-w", "-p"}) Server(QString::fromLatin1(step));
        // Silent install, as an administrator's script would do it.
        ASSERT_EQ(Wine({QString::fromStdString(installer), QStringLiteral("/S")}), 0);
        ASSERT_TRUE(fs::exists(installFolder() / "vor-fwupdate.exe"));
        fs::remove_all(dataFolder());
    }
    void TearDown() override {
        std::error_code ec;
        if (!link_.empty()) fs::remove(link_, ec);
        // The prefix's data folder is searched for saved profiles by every later run in
        // this prefix, the terminal's included: nothing of this test may stay there.
        if (!prefix_.empty()) fs::remove_all(dataFolder(), ec);
    }

    fs::path installFolder() const { return prefix_ / "drive_c" / "Program Files" / "vor-fwupdate"; }
    fs::path startMenuEntry() const {
        return prefix_ / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" /
               "VOR Firmware Update.lnk";
    }
    // %LOCALAPPDATA%\vor-fwupdate of the prefix's one user.
    fs::path dataFolder() const {
        for (const auto& user : fs::directory_iterator(prefix_ / "drive_c" / "users"))
            if (user.path().filename() != "Public" && user.is_directory())
                return user.path() / "AppData" / "Local" / "vor-fwupdate";
        return {};
    }
    // Every attempt record written so far, one after another.
    std::string records() const {
        std::string all;
        std::error_code ec;
        for (const auto& file : fs::directory_iterator(dataFolder(), ec))
            if (file.path().filename().string().rfind("task-log-", 0) == 0) all += ReadFile(file.path());
        return all;
    }

    // A program run to its end under Wine; its exit status.
    int Wine(const QStringList& args) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral("wine"), args);
        if (!process.waitForFinished(InstallLimitMs)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // `wineserver option` for the prefix. A server outlives the test: its output goes to
    // the prefix's wineserver.log, not to a pipe that closes under it.
    void Server(const QString& option) const {
        QProcess server;
        server.setProcessEnvironment(environment());
        const QString log = QString::fromStdString((prefix_.parent_path() / "wineserver.log").string());
        server.setStandardOutputFile(log, QIODevice::Append);
        server.setStandardErrorFile(log, QIODevice::Append);
        server.start(QStringLiteral("wineserver"), {option});
        server.waitForFinished(30000);
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display_.name()));
        env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        return env;
    }

    // The installed program on the simulator's port, in its window; the window's X id.
    std::string StartWindow(const SimProcess& sim) {
        link_ = prefix_ / "dosdevices" / ("com" + std::to_string(ComNumber));
        std::error_code ec;
        fs::remove(link_, ec);
        fs::create_symlink(sim.port(), link_);
        program_.setProcessEnvironment(environment());
        // Read only when something went wrong: a file, not a pipe that could fill up.
        program_.setStandardOutputFile(QString::fromStdString(programLog().string()));
        program_.setStandardErrorFile(QString::fromStdString(programLog().string()), QIODevice::Append);
        program_.start(QStringLiteral("wine"), {QString::fromStdString((installFolder() / "vor-fwupdate.exe").string()),
                                                QStringLiteral("--port"), QStringLiteral("COM%1").arg(ComNumber)});
        std::string window;
        WaitFor(
            [&] {
                const auto found = display_.visibleWindows(QStringLiteral("^VOR 1F Firmware Update$"));
                if (!found.empty()) window = found.front();
                return !window.empty();
            },
            WindowLimitMs);
        QThread::msleep(1000);  // the first paint
        return window;
    }

    // Next on the first page; back when the Deep Sleep page is up (the DC went to sleep).
    void NextToDeepSleepPage(const std::string& window, SimProcess& sim) {
        display_.click(window, NextCentreX, ButtonCentreY);
        EXPECT_TRUE(WaitFor([&] { return sim.command("status").find("mode asleep") != std::string::npos; }, 30000))
            << "the DC was never sent into Deep Sleep";
        QThread::msleep(2000);  // the page, and the DC awake by itself in its PC screen
    }

    // A box that came up (its X id): a visible window that is none of `shownBefore` (the
    // program's window, Wine's tray), or empty when none came up in time.
    std::string WaitForBox(const std::vector<std::string>& shownBefore, int limitMs) {
        std::string box;
        WaitFor(
            [&] {
                for (const std::string& id : display_.visibleWindows())
                    if (std::find(shownBefore.begin(), shownBefore.end(), id) == shownBefore.end()) box = id;
                return !box.empty();
            },
            limitMs);
        return box;
    }

    fs::path programLog() const { return fs::path(scratch_.path().toStdString()) / "program.log"; }

    int WaitForExit() {
        if (!program_.waitForFinished(ExitLimitMs)) {
            program_.kill();
            program_.waitForFinished();
            return -1;
        }
        return program_.exitStatus() == QProcess::NormalExit ? program_.exitCode() : -1;
    }

    VirtualDisplay display_;
    fs::path prefix_;
    fs::path link_;
    QProcess program_;
    QTemporaryDir scratch_;
};

TEST_F(WineWindowRun, InstalledWindowUpdatesTheDcByClicksAndItsRecordSaysFinishedWithoutErrors) {
    EXPECT_TRUE(fs::exists(startMenuEntry()));
    for (const char* file : {"vor-fwupdate.com", "FirmwareUpdate.lng", "VOR.1H.FWR", "RD2_EUA.prn", "uninstall.exe"})
        EXPECT_TRUE(fs::exists(installFolder() / file)) << file;
    // The Start menu's program is a GUI program, with no console before its window; the
    // terminal's is the console program.
    EXPECT_EQ(PeSubsystem(installFolder() / "vor-fwupdate.exe"), ImageSubsystemWindowsGui);
    EXPECT_EQ(PeSubsystem(installFolder() / "vor-fwupdate.com"), ImageSubsystemWindowsConsole);
    SimProcess sim(QuickDc);
    ASSERT_FALSE(sim.port().empty());
    const fs::path scratch = scratch_.path().toStdString();
    const auto before = ProfileLines(sim.memory(scratch / "before.dump"));

    const std::string window = StartWindow(sim);
    ASSERT_FALSE(window.empty()) << "the window did not appear: " << ReadFile(programLog());
    display_.screenshot("1-first-page");
    NextToDeepSleepPage(window, sim);
    display_.screenshot("2-deep-sleep-page");

    display_.click(window, NextCentreX, ButtonCentreY);
    QThread::msleep(8000);
    display_.screenshot("3-update-running");  // the window repaints while the flow waits on the DC
    // A logoff or shutdown while the DC is written waits for it: the window refuses the
    // end of the session, and the update goes on.
    EXPECT_NE(Wine({QStringLiteral("wineboot"), QStringLiteral("--end-session")}), 0) << "the session end went on";
    ASSERT_TRUE(WaitFor([&] { return records().find(Finished) != std::string::npos; }, UpdateLimitMs)) << records();
    QThread::msleep(500);
    display_.screenshot("4-finished");

    display_.click(window, CloseCentreX, ButtonCentreY);
    EXPECT_EQ(WaitForExit(), 0) << ReadFile(programLog());
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(scratch / "after.dump")), before);
    // The record and nothing else lies in the user's data folder; nothing beside the installed program.
    EXPECT_FALSE(fs::exists(dataFolder() / Backup));
    EXPECT_FALSE(fs::exists(installFolder() / Backup));
    for (const auto& file : fs::directory_iterator(installFolder()))
        EXPECT_EQ(file.path().filename().string().find("task-log-"), std::string::npos) << file.path();
}

TEST_F(WineWindowRun, CloseAfterADcSilentInSection2AsksAndWritesTheSavedProfileBack) {
    // Silent for 20 s from the 50th block of section 2: the update fails with the profile
    // in its backup file; by the time Close is pressed the DC answers again.
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--silent", "b7-data:50,20"});
    SimProcess sim(options);
    ASSERT_FALSE(sim.port().empty());
    const fs::path scratch = scratch_.path().toStdString();
    const auto before = ProfileLines(sim.memory(scratch / "before.dump"));

    const std::string window = StartWindow(sim);
    ASSERT_FALSE(window.empty()) << "the window did not appear: " << ReadFile(programLog());
    NextToDeepSleepPage(window, sim);
    display_.click(window, NextCentreX, ButtonCentreY);
    ASSERT_TRUE(WaitFor([&] { return records().find("ERROR") != std::string::npos; }, UpdateLimitMs)) << records();
    EXPECT_TRUE(fs::exists(dataFolder() / Backup));
    EXPECT_NE(ProfileLines(sim.memory(scratch / "between.dump")), before);
    QThread::msleep(500);
    display_.screenshot("5-update-failed");

    // Close: the recovery asks whether to write the profile back (Yes), then how to
    // prepare the DC (OK). A DC that does not answer brings the instructions back.
    const std::vector<std::string> shownBefore = display_.visibleWindows();
    display_.click(window, CloseCentreX, ButtonCentreY);
    const std::string question = WaitForBox(shownBefore, 30000);
    ASSERT_FALSE(question.empty()) << "no recovery question";
    display_.screenshot("6-recovery-question");
    display_.pressEnter(question);
    std::string answeredBox = question;
    int answered = 0;
    while (answered < 3) {
        // The box just answered goes before the next one comes.
        WaitFor([&] { return !display_.shows(answeredBox); }, 10000);
        const std::string box = WaitForBox(shownBefore, 15000);
        if (box.empty()) break;
        if (answered == 0) display_.screenshot("7-recovery-instructions");
        display_.pressEnter(box);
        answeredBox = box;
        ++answered;
    }
    EXPECT_GE(answered, 1) << "no recovery instructions";
    EXPECT_EQ(WaitForExit(), 0) << ReadFile(programLog());
    EXPECT_EQ(ProfileLines(sim.memory(scratch / "after.dump")), before);
    EXPECT_FALSE(fs::exists(dataFolder() / Backup));
    EXPECT_NE(records().find("Profile recovery at close"), std::string::npos) << records();
}

TEST_F(WineWindowRun, SilentUninstallRemovesTheProgramAndLeavesTheDiversFilesAlone) {
    fs::create_directories(dataFolder());
    const fs::path backup = dataFolder() / Backup;
    const fs::path record = dataFolder() / "task-log-2026-01-02-030405.txt";
    std::ofstream(backup) << "saved profile";
    std::ofstream(record) << "attempt";
    // The uninstaller hands its work to a copy of itself and returns at once: its end is
    // seen in the files.
    ASSERT_EQ(Wine({QString::fromStdString((installFolder() / "uninstall.exe").string()), QStringLiteral("/S")}), 0);
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(installFolder()); }, InstallLimitMs))
        << "the program folder is still there";
    EXPECT_FALSE(fs::exists(startMenuEntry()));
    EXPECT_EQ(ReadFile(backup), "saved profile");
    EXPECT_EQ(ReadFile(record), "attempt");
}

}  // namespace
}  // namespace vor::e2e
