// The simulated DC on a pseudo-terminal, talked to with plain POSIX I/O: in-process
// (thread-free: the test drives serve()) and as the `vor-tool sim` process.

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <chrono>
#include <string>
#include <vector>

#include "tools/dcsim/PtyTransport.h"

namespace vor::sim::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Upper bound for answers that take a few milliseconds; never reached when all works.
constexpr double AnswerLimitSeconds = 5.0;

double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

int OpenPort(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

void WriteAll(int fd, const Bytes& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Reads until `count` bytes came; `serve` runs between reads (the in-process transport).
template <typename Serve>
Bytes ReadBytes(int fd, std::size_t count, Serve serve) {
    Bytes got;
    const double limit = Seconds() + AnswerLimitSeconds;
    while (got.size() < count && Seconds() < limit) {
        serve();
        std::uint8_t buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

std::string ReadLine(int fd) {
    std::string line;
    const double limit = Seconds() + AnswerLimitSeconds;
    char c = 0;
    while (Seconds() < limit) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0) continue;
        if (::read(fd, &c, 1) != 1 || c == '\n') break;
        line += c;
    }
    return line;
}

TEST(SimPty, InProcessTransportAnswersTheIdentityOnThePort) {
    SimulatedDc dc(DcConfig{});
    PtyTransport line(dc);
    std::string error;
    ASSERT_TRUE(line.open(error)) << error;
    ASSERT_THAT(line.portName(), ::testing::StartsWith("/dev/"));
    const int fd = OpenPort(line.portName());
    ASSERT_GE(fd, 0);

    WriteAll(fd, {0x84, 0x00});
    const Bytes reply = ReadBytes(fd, 18, [&] { line.serve(0.005); });
    ASSERT_EQ(reply.size(), 18u);
    EXPECT_EQ(std::string(reply.begin() + 1, reply.begin() + 17), "VOR FW1E 0012345");
    EXPECT_EQ(dc.exchanges(UnitKind::Identity), 1);

    // Pulling the cable is a hang-up for the program.
    line.pullCable();
    EXPECT_FALSE(line.serve(0.0));
    pollfd pfd{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 1000), 1);
    EXPECT_TRUE(pfd.revents & POLLHUP);
    ::close(fd);
}

TEST(SimPty, SimProcessPrintsItsPortAndServesIt) {
    int toSim[2];
    int fromSim[2];
    ASSERT_EQ(::pipe(toSim), 0);
    ASSERT_EQ(::pipe(fromSim), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(toSim[0], STDIN_FILENO);
        ::dup2(fromSim[1], STDOUT_FILENO);
        ::close(toSim[1]);
        ::close(fromSim[0]);
        const std::string tool = std::string(VOR_PROGRAM_DIR) + "/vor-tool";
        ::execl(tool.c_str(), tool.c_str(), "sim", "--serial", "42", "--version", "1F", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toSim[0]);
    ::close(fromSim[1]);

    const std::string first = ReadLine(fromSim[0]);
    ASSERT_THAT(first, ::testing::StartsWith("port: /dev/"));
    const int fd = OpenPort(first.substr(6));
    ASSERT_GE(fd, 0);
    WriteAll(fd, {0x84, 0x00});
    const Bytes reply = ReadBytes(fd, 18, [&] {
        pollfd pfd{fd, POLLIN, 0};
        ::poll(&pfd, 1, 50);
    });
    ASSERT_EQ(reply.size(), 18u);
    EXPECT_EQ(std::string(reply.begin() + 1, reply.begin() + 17), "VOR FW1F 0000042");

    const std::string command = "dump firmware\nquit\n";
    ASSERT_EQ(::write(toSim[1], command.data(), command.size()), static_cast<ssize_t>(command.size()));
    EXPECT_EQ(ReadLine(fromSim[0]), "version 1F revision 1");
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::close(fd);
    ::close(toSim[1]);
    ::close(fromSim[0]);
}

}  // namespace
}  // namespace vor::sim::test
