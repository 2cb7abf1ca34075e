#include "cli/TerminalStream.h"

#include <cstdio>

#include <unistd.h>

#ifdef _WIN32
#include "platform/win32/ConsoleInput.h"
#endif

namespace vor {

bool StdinIsTerminal() { return isatty(0) != 0; }

bool StdoutIsTerminal() { return isatty(1) != 0; }

void WriteStdout(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

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
