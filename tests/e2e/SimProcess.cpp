#include "tests/e2e/SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace vor::e2e {

namespace {

constexpr double ReplyLimitSeconds = 10.0;  // for a control answer of the simulator
constexpr int QuitLimitMs = 5000;

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& options, const std::filesystem::path& errorFile) {
    // The control line is a socket so that a simulator that died fails the test at the
    // next command instead of killing the test program with SIGPIPE.
    int toSim[2];
    int fromSim[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, toSim) != 0 || ::pipe(fromSim) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(toSim[0], STDIN_FILENO);
        ::dup2(fromSim[1], STDOUT_FILENO);
        if (!errorFile.empty()) {
            const int log = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (log >= 0) ::dup2(log, STDERR_FILENO);
        }
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

SimProcess::~SimProcess() {
    if (pid_ <= 0) return;
    command("quit");
    for (int waited = 0; waited < QuitLimitMs; waited += 50) {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

std::string SimProcess::command(const std::string& line) {
    const std::string text = line + "\n";
    if (::send(control_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size())) return {};
    return line == "quit" ? std::string() : readLine();
}

std::vector<std::uint8_t> SimProcess::memory(const std::filesystem::path& file) {
    command("dump memory " + file.string());
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string SimProcess::readLine() {
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

// Lines 256..4063 and line 4 of a 512-class memory dump.
std::vector<std::uint8_t> ProfileLines(const std::vector<std::uint8_t>& memory) {
    if (memory.size() < 4064 * 16) return {};
    std::vector<std::uint8_t> lines(memory.begin() + 256 * 16, memory.begin() + 4064 * 16);
    lines.insert(lines.end(), memory.begin() + 4 * 16, memory.begin() + 5 * 16);
    return lines;
}

std::vector<std::uint8_t> UsedProfile(const std::vector<std::uint8_t>& memory) {
    constexpr int FirstLine = 256;
    constexpr int LastLine = 4063;
    if (memory.size() < (LastLine + 1) * 16) return {};
    const auto lineOf = [&](int low) { return (memory[low + 1] * 256 + memory[low]) / 16; };
    int start = lineOf(72);
    int end = lineOf(74);
    std::vector<std::uint8_t> used(memory.begin() + 4 * 16, memory.begin() + 5 * 16);
    if (start == end) return used;
    if (end < start) {
        start = FirstLine;
        end = LastLine;
    }
    start = std::max(start, FirstLine) / 8 * 8;
    end = std::max(end, FirstLine) / 8 * 8 + 8;
    used.insert(used.end(), memory.begin() + start * 16, memory.begin() + end * 16);
    return used;
}

}  // namespace vor::e2e
