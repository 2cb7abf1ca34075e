#include "cli/TerminalStream.h"

#include <cstdio>

#include <unistd.h>

namespace vor {

bool StdinIsTerminal() { return isatty(0) != 0; }

bool StdoutIsTerminal() { return isatty(1) != 0; }

void WriteStdout(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::optional<std::string> ReadStdinLine() {
    std::string line;
    for (;;) {
        const int c = std::fgetc(stdin);
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
