// vor-tool bench: the program's real link (CommModule over QtSerialPort with the Qt
// event pump) against the simulated DC on a pseudo-terminal, in a child process.
// Measures each transfer command against the time its bytes need on the wire at
// 38400 bit/s, and the CPU the program burns while a command waits for a silent DC.

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "link/CommModule.h"
#include "platform/ParentDeath.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "tools/ToolCommands.h"
#include "session/WizardState.h"

namespace vor::tool {

namespace {

constexpr double ByteSeconds = 10.0 / 38400.0;
// Bytes on the wire per exchange, the trailing 0x00 of every transmission included.
constexpr int BlockWriteBytes = 4 + 1 + 130 + 1;  // announcement, ack, block, ack
constexpr int BlockReadBytes = 4 + 129;           // request, ack + 128 bytes
constexpr int LineWriteBytes = 4 + 1 + 18 + 1;    // request, ack, line + check, ack
constexpr double RatioTarget = 1.05;
constexpr double CpuShareTarget = 0.02;
constexpr int DefaultCount = 100;
constexpr double DefaultSilentSeconds = 5.0;
constexpr int PortLineTimeoutMs = 5000;  // the child prints its port at once

struct SimChild {
    pid_t pid = -1;
    int control = -1;  // the child's stdin
    int output = -1;   // the child's stdout
    std::string port;
};

// One line of the child's stdout; empty when none came in time.
std::string ReadLine(int fd) {
    std::string line;
    char c = 0;
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, PortLineTimeoutMs) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n') break;
        line += c;
    }
    return line;
}

// Sends one control command and returns the child's answer line.
std::string Control(const SimChild& sim, const std::string& command) {
    const std::string text = command + "\n";
    if (::write(sim.control, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
    return ReadLine(sim.output);
}

// The simulator's summed lateness so far, in seconds.
double SimLateness(const SimChild& sim) {
    int answers = 0;
    double late = 0.0;
    return std::sscanf(Control(sim, "timing").c_str(), "answers %d late %lf", &answers, &late) == 2 ? late : 0.0;
}

// Starts the simulator in a child process (before Qt exists in this one).
bool StartSim(SimChild& sim, bool logHex) {
    int toSim[2];
    int fromSim[2];
    if (::pipe(toSim) != 0 || ::pipe(fromSim) != 0) return false;
    std::fflush(stdout);
    sim.pid = ::fork();
    if (sim.pid < 0) return false;
    if (sim.pid == 0) {
        EndWithParent();  // never outlive the bench
        ::dup2(toSim[0], STDIN_FILENO);
        ::dup2(fromSim[1], STDOUT_FILENO);
        ::close(toSim[1]);
        ::close(fromSim[0]);
        // No processing delay: the figures then show the program's own overhead.
        Args simArgs{"--processing-delay", "0", "--pc-timeout", "0"};
        if (logHex) simArgs.push_back("--log-hex");
        ::_exit(SimCommand(simArgs));
    }
    ::close(toSim[0]);
    ::close(fromSim[1]);
    sim.control = toSim[1];
    sim.output = fromSim[0];
    const std::string line = ReadLine(sim.output);
    if (line.rfind("port: ", 0) != 0) return false;
    sim.port = line.substr(6);
    return true;
}

void StopSim(SimChild& sim) {
    if (sim.control >= 0) {
        const char quit[] = "quit\n";
        [[maybe_unused]] const ssize_t n = ::write(sim.control, quit, sizeof quit - 1);
        ::close(sim.control);
    }
    if (sim.output >= 0) ::close(sim.output);
    if (sim.pid > 0) ::waitpid(sim.pid, nullptr, 0);
}

// `simLate` is the time the simulator's answers left later than its pacing allowed:
// the simulator's scheduling delay, not the program's, so the ratio leaves it out.
bool Report(const char* what, double seconds, double simLate, int count, int wireBytes) {
    const double per = (seconds - simLate) / count;
    const double bound = wireBytes * ByteSeconds;
    const double ratio = per / bound;
    std::printf(
        "%-30s %6.2f ms each (simulator lateness %.2f ms each left out), wire bound %5.2f ms, "
        "ratio %.3f (target <= %.2f)%s\n",
        what, per * 1000.0, simLate / count * 1000.0, bound * 1000.0, ratio, RatioTarget,
        ratio <= RatioTarget ? "" : "  MISSED");
    return ratio <= RatioTarget;
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int RunBench(const SimChild& sim, int count, double silentSeconds) {
    int argc = 1;
    char name[] = "vor-tool";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QtSerialPort port;
    const PortOpenOutcome opened = port.open(sim.port);
    if (opened.result != PortOpenResult::Opened) {
        std::fprintf(stderr, "vor-tool bench: cannot open %s: %s\n", sim.port.c_str(), opened.detail.c_str());
        return 1;
    }
    QtEventPump pump;
    WizardState state;
    CommModule comm(port, pump, state);
    comm.SizeReplyBuffers(512);

    double simLate = 0.0;
    const auto timed = [&](const std::function<void(int)>& step) {
        const double lateBefore = SimLateness(sim);
        const double start = pump.now();
        for (int i = 0; i < count && !state.CommError; ++i) step(i);
        const double elapsed = pump.now() - start;
        simLate = SimLateness(sim) - lateBefore;
        return elapsed;
    };
    bool met = true;

    CodeBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i);
    const double writes = timed([&](int i) { comm.WriteCodeBlock(i * 0x80, 0xB5, block); });
    if (state.CommError) {
        std::fprintf(stderr, "vor-tool bench: a block write failed\n");
        return 1;
    }
    met &= Report("block write (WriteCodeBlock)", writes, simLate, count, BlockWriteBytes);

    const double reads = timed([&](int i) { (void)comm.ReadMemoryBlock(256 + 8 * i); });
    if (state.CommError) {
        std::fprintf(stderr, "vor-tool bench: a memory read failed\n");
        return 1;
    }
    met &= Report("memory read (ReadMemoryBlock)", reads, simLate, count, BlockReadBytes);

    MemoryLine line{};
    for (std::size_t i = 0; i < 16; ++i) line[i] = static_cast<std::uint8_t>(i);
    line[16] = 120;  // 0 + 1 + ... + 15
    const double lines = timed([&](int i) { comm.WriteMemoryLine(256 + i, line); });
    if (state.CommError) {
        std::fprintf(stderr, "vor-tool bench: a line write failed\n");
        return 1;
    }
    met &= Report("line write (WriteMemoryLine)", lines, simLate, count, LineWriteBytes);

    // The DC goes silent; the identity read waits until the bench aborts it.
    if (Control(sim, "unclip").empty()) return 1;
    QTimer::singleShot(static_cast<int>(silentSeconds * 1000.0), Qt::PreciseTimer, &app, [&] { comm.Abort(); });
    const double cpuBefore = CpuSeconds();
    const double wallBefore = pump.now();
    const bool answered = comm.ReadIdentity();
    const double share = (CpuSeconds() - cpuBefore) / (pump.now() - wallBefore);
    std::printf("%-30s %6.2f %% of one core over %.1f s (target < %.0f %%)%s\n", "silent wait (ReadIdentity) CPU",
                share * 100.0, pump.now() - wallBefore, CpuShareTarget * 100.0,
                share < CpuShareTarget && !answered ? "" : "  MISSED");
    met &= share < CpuShareTarget && !answered;
    return met ? 0 : 1;
}

}  // namespace

int BenchCommand(const Args& args) {
    int count = DefaultCount;
    double silentSeconds = DefaultSilentSeconds;
    bool logHex = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (hasValue && args[i] == "--count") {
            count = std::atoi(args[++i].c_str());
        } else if (hasValue && args[i] == "--silent-seconds") {
            silentSeconds = std::atof(args[++i].c_str());
        } else if (args[i] == "--log-hex") {
            logHex = true;  // the simulator logs the traffic with its times to stderr
        } else {
            std::fprintf(stderr, "usage: vor-tool bench [--count N] [--silent-seconds S] [--log-hex]\n");
            return 2;
        }
    }
    if (count < 1 || count > 200 || silentSeconds < 0.5 || silentSeconds > 60) {
        std::fprintf(stderr, "vor-tool bench: --count takes 1..200, --silent-seconds 0.5..60\n");
        return 2;
    }
    SimChild sim;
    if (!StartSim(sim, logHex)) {
        std::fprintf(stderr, "vor-tool bench: the simulated DC did not start\n");
        StopSim(sim);
        return 1;
    }
    std::printf("simulated DC on %s, %d commands each, DC processing delay 0\n", sim.port.c_str(), count);
    const int result = RunBench(sim, count, silentSeconds);
    StopSim(sim);
    return result;
}

}  // namespace vor::tool
