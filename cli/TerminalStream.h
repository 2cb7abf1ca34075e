#pragma once
// The process's standard input and output as the terminal front end uses them.

#include <optional>
#include <string>

namespace vor {

bool StdinIsTerminal();
bool StdoutIsTerminal();
// Hands the text to standard output's own thread and returns at once: a script
// reading the output sees each event as it happens, and a reader that takes nothing
// holds nobody (see OutputQueue).
void WriteStdout(const std::string& text);
// A progress line: the first to be dropped when the reader falls behind.
void WriteStdoutProgress(const std::string& text);
// Standard error the same way: a terminal that takes nothing holds no warning either.
void WriteStderr(const std::string& text);
// Everything written from now on (the outcome) is kept whole, whatever waits.
void KeepStdoutWhole();
// At the end (and at the process's exit): gives the readers a last while to take what waits.
void DrainStdout();
// One line without its end; nothing at the end of input or when Ctrl-C interrupted the read.
std::optional<std::string> ReadStdinLine();

}  // namespace vor
