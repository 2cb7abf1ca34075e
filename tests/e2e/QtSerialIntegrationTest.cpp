// One whole update through the real Qt serial adapter and the real event loop, against
// the `vor-tool sim` process on a pseudo-terminal. Real time: the program waits 10 s and
// 45 s for the DC's restarts, so the run takes about a minute and a half.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/InterfacePort.h"
#include "platform/Printer.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "resources/StringResources.h"
#include "tests/e2e/Harness.h"
#include "flow/AppBackend.h"
#include "wizard/MFUMain.h"

namespace vor::e2e {
namespace {

constexpr double ReplyLimitSeconds = 10.0;  // for a control answer of the simulator
constexpr int WakeWaitMs = 2000;            // the simulator wakes itself after 1 s
constexpr int QuitLimitMs = 5000;

class NoPrinter : public TextPrinter {
public:
    QString print(QWidget*, const QStringList&, const QString&) override { return {}; }
};

// `vor-tool sim` as a child process: its port name, and its control channel.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& options) {
        int toSim[2];
        int fromSim[2];
        if (::pipe(toSim) != 0 || ::pipe(fromSim) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(toSim[0], STDIN_FILENO);
            ::dup2(fromSim[1], STDOUT_FILENO);
            ::close(toSim[1]);
            ::close(fromSim[0]);
            const std::string tool = std::string(VOR_PROGRAM_DIR) + "/vor-tool";
            std::vector<char*> argv{const_cast<char*>(tool.c_str()), const_cast<char*>("sim")};
            for (const std::string& o : options) argv.push_back(const_cast<char*>(o.c_str()));
            argv.push_back(nullptr);
            ::execv(tool.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(toSim[0]);
        ::close(fromSim[1]);
        control_ = toSim[1];
        answers_ = fromSim[0];
        const std::string first = readLine();
        if (first.rfind("port: ", 0) == 0) port_ = first.substr(6);
    }

    ~SimProcess() {
        if (pid_ <= 0) return;
        command("quit");
        for (int waited = 0; waited < QuitLimitMs; waited += 50) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

    const std::string& port() const { return port_; }

    std::string command(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(control_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
        return line == "quit" ? std::string() : readLine();
    }

    std::vector<std::uint8_t> memory(const std::filesystem::path& file) {
        command("dump memory " + file.string());
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string readLine() {
        std::string line;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(ReplyLimitSeconds);
        while (std::chrono::steady_clock::now() < limit) {
            pollfd p{answers_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c = 0;
            if (::read(answers_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return line;
    }

    pid_t pid_ = -1;
    int control_ = -1;
    int answers_ = -1;
    std::string port_;
};

// Lines 256..4063 and line 4 of a 512-class memory dump.
std::vector<std::uint8_t> ProfileLines(const std::vector<std::uint8_t>& memory) {
    if (memory.size() < 4064 * 16) return {};
    std::vector<std::uint8_t> lines(memory.begin() + 256 * 16, memory.begin() + 4064 * 16);
    lines.insert(lines.end(), memory.begin() + 4 * 16, memory.begin() + 5 * 16);
    return lines;
}

TEST(QtSerialIntegration, WholeUpdateThroughAPseudoTerminalEndsWith786AndTheProfileKept) {
    EnsureApplication();
    SimProcess sim({"--restart-after", "1", "--wake-after", "1"});
    ASSERT_FALSE(sim.port().empty()) << "vor-tool sim did not name its port";

    QTemporaryDir programDir;
    QTemporaryDir backupDir;
    const std::filesystem::path program = programDir.path().toStdString();
    for (const char* file : {"FirmwareUpdate.lng", "VOR.1H.FWR"})
        std::filesystem::copy_file(std::filesystem::path(VOR_PROGRAM_DIR) / file, program / file);
    const std::vector<std::uint8_t> before = ProfileLines(sim.memory(program / "before.bin"));
    ASSERT_FALSE(before.empty());

    QtEventPump pump;
    ScriptedBoxes boxes;
    boxes.declineWhenOutOfAnswers = true;
    NoPrinter printer;
    WizardState state;
    WizardEnvironment env;
    env.pump = &pump;
    env.boxes = &boxes;
    env.printer = &printer;
    env.programDir = program.string();
    env.setupRecord = MakeSetupRecord("VOR.1H.FWR", "", "5000");
    env.setPriority = [](int priorityClass) { return priorityClass; };
    env.startProgram = [](const std::string&) {};
    env.endProgram = [&pump] { pump.endProgram(); };
    MFUMain window(state, std::move(env));
    QtSerialPort port;
    const std::string portName = sim.port();
    AppBackend backend(
        state, window, pump, port, [&] { return OpenInterfacePort(port, portName); }, backupDir.path().toStdString());
    window.setBackend(&backend);
    ASSERT_TRUE(window.Form_Load());
    window.show();

    auto* next = window.findChild<QPushButton*>(QStringLiteral("NextCmd"));
    QTest::mouseClick(next, Qt::LeftButton);
    ASSERT_TRUE(window.findChild<QLabel*>(QStringLiteral("Image2"))->isVisibleTo(&window))
        << LogText(TaskLogOf(window));
    QTest::qWait(WakeWaitMs);
    QTest::mouseClick(next, Qt::LeftButton);

    const std::vector<LogRow> log = TaskLogOf(window);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), (LogRow{1, "M786", ""})) << LogText(log);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(program / "after.bin")), before);
    EXPECT_TRUE(std::filesystem::is_empty(backupDir.path().toStdString()));

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("CloseCmd")), Qt::LeftButton);
    EXPECT_TRUE(window.programEnded());
}

}  // namespace
}  // namespace vor::e2e
