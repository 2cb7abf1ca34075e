#include "cli/TerminalStream.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>
#ifndef _WIN32
#include <poll.h>
#endif

#include "cli/OutputQueue.h"

#ifdef _WIN32
#include "platform/win32/ConsoleInput.h"
#endif

namespace vor {

namespace {

// How long the end of a run waits for a reader that takes nothing.
constexpr double FinalDrainSeconds = 5.0;

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const auto n = ::write(fd, text.data() + done, static_cast<unsigned>(text.size() - done));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
#ifndef _WIN32
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {  // an output someone made non-blocking
            pollfd out{fd, POLLOUT, 0};
            ::poll(&out, 1, -1);
            continue;
        }
#endif
        if (n < 0 && errno == EINTR) continue;
        return false;  // the reader has gone (EPIPE) or the output is unusable
    }
    return true;
}

struct Output {
    // Never destroyed: its thread may sit in a write nobody takes until the process ends.
    OutputQueue& queue;
    bool whole = false;
};

void DrainBoth();

// Standard output (1) or standard error (2), made at their first use.
Output& Out(int fd) {
    static Output out{*new OutputQueue([](const std::string& text) { return WriteAll(1, text); })};
    static Output err{*new OutputQueue([](const std::string& text) { return WriteAll(2, text); })};
    // Whatever front end ends the program, what waits gets its last while.
    [[maybe_unused]] static const bool drainedAtExit = std::atexit(DrainBoth) == 0;
    return fd == 2 ? err : out;
}

void DrainBoth() {
    Out(1).queue.drain(FinalDrainSeconds);
    Out(2).queue.drain(FinalDrainSeconds);
}

void Push(const std::string& text, OutputQueue::Kind kind) {
    Output& out = Out(1);
    out.queue.push(text, out.whole ? OutputQueue::Kind::Final : kind);
}

}  // namespace

bool StdinIsTerminal() { return isatty(0) != 0; }

bool StdoutIsTerminal() { return isatty(1) != 0; }

void WriteStdout(const std::string& text) { Push(text, OutputQueue::Kind::Line); }

void WriteStdoutProgress(const std::string& text) { Push(text, OutputQueue::Kind::Progress); }

void WriteStderr(const std::string& text) { Out(2).queue.push(text, OutputQueue::Kind::Line); }

void KeepStdoutWhole() { Out(1).whole = true; }

void DrainStdout() { DrainBoth(); }

namespace {

int ReadStdinChar() {
#ifdef _WIN32
    // Windows: a read that Ctrl-C at a prompt ends, as a signal does on Linux.
    const std::optional<char> byte = ReadStdinByte();
    return byte ? static_cast<unsigned char>(*byte) : EOF;
#else
    return std::fgetc(stdin);
#endif
}

}  // namespace

std::optional<std::string> ReadStdinLine() {
    std::string line;
    for (;;) {
        const int c = ReadStdinChar();
        if (c == EOF) {
            std::clearerr(stdin);  // an interrupted read may be tried again later
            return std::nullopt;
        }
        if (c == '\n') break;
        if (c != '\r') line += static_cast<char>(c);
    }
    return line;
}

}  // namespace vor
