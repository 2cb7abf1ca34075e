#pragma once
// The process's standard input and output as the terminal front end uses them.

#include <optional>
#include <string>

namespace vor {

bool StdinIsTerminal();
bool StdoutIsTerminal();
// Writes and flushes at once: a script reading the output sees each event as it happens.
void WriteStdout(const std::string& text);
// One line without its end; nothing at the end of input or when Ctrl-C interrupted the read.
std::optional<std::string> ReadStdinLine();

}  // namespace vor
