// vor-tool sim: the simulated DC on a pseudo-terminal. The first line of stdout names
// the port ("port: /dev/pts/N"); control commands are read from stdin, one per line:
// those of SimControl, and "timing" (answers written and their summed lateness).

#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "tools/ToolCommands.h"
#include "tools/dcsim/PtyTransport.h"
#include "tools/dcsim/SimControl.h"
#include "tools/dcsim/SimOptions.h"

namespace vor::tool {

namespace {

// How long one serve pass may block when nothing is due.
constexpr double IdleServeSeconds = 0.5;

// Reads what stdin has; runs each complete line. Returns false at quit.
bool ServeControl(sim::SimulatedDc& dc, sim::PtyTransport& line, std::string& pending, bool& stdinOpen) {
    char buffer[1024];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        stdinOpen = false;  // no control channel: serve until killed
        return true;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    for (auto eol = pending.find('\n'); eol != std::string::npos; eol = pending.find('\n')) {
        const std::string command = pending.substr(0, eol);
        pending.erase(0, eol + 1);
        if (command == "timing") {
            // The transport's own delay, for benchmarks that subtract it.
            std::printf("answers %d late %.6f\n", line.answersWritten(), line.lateSeconds());
            std::fflush(stdout);
            continue;
        }
        const sim::ControlResult r = sim::RunControlCommand(dc, command, line.now());
        std::fputs(r.text.c_str(), stdout);
        std::fflush(stdout);
        if (r.pullCable) line.pullCable();
        if (r.quit) return false;
    }
    return true;
}

}  // namespace

int SimCommand(const Args& args) {
    sim::SimOptions options;
    std::string error;
    if (!sim::ParseSimOptions(args, options, error)) {
        std::fprintf(stderr,
                     "vor-tool sim: %s\nusage: vor-tool sim [options]\n%s"
                     "control (stdin, one per line): press | clip | unclip | pull | status | timing |\n"
                     "  dump memory FILE | dump firmware | dump clock | quit\n",
                     error.c_str(), sim::SimOptionsHelp());
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);

    sim::SimulatedDc dc(options.config);
    sim::PtyTransport line(dc);
    if (!line.open(error)) {
        std::fprintf(stderr, "vor-tool sim: %s\n", error.c_str());
        return 1;
    }
    if (options.logHex) line.setLog(stderr);
    std::printf("port: %s\n", line.portName().c_str());
    std::fflush(stdout);

    std::string pending;
    bool stdinOpen = true;
    for (;;) {
        bool controlReady = false;
        if (!line.pulled()) {
            line.serve(IdleServeSeconds, stdinOpen ? STDIN_FILENO : -1, &controlReady);
        } else if (stdinOpen) {
            // The cable is gone; only the control channel is left (dumps, quit).
            pollfd pfd{STDIN_FILENO, POLLIN, 0};
            controlReady = ::poll(&pfd, 1, -1) > 0;
        } else {
            return 0;
        }
        if (controlReady && !ServeControl(dc, line, pending, stdinOpen)) return 0;
    }
}

}  // namespace vor::tool
