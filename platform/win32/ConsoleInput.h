#pragma once
// Standard input on Windows, read so that the console's control events reach a prompt:
// a read of the console or of a pipe does not see Ctrl-C, so a thread of its own reads
// and the wait for what it brings also waits for the event (as a signal ends a read on
// Linux). A real console ends its line read at Ctrl-C ("operation aborted"), Wine's and
// a pipe do not: the thread's read goes on for the next prompt.

#include <optional>

namespace vor {

// One byte of standard input; nothing at the end of input, or when a console control
// event came first (the event pump then serves it).
std::optional<char> ReadStdinByte();

}  // namespace vor
