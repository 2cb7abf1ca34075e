#pragma once
// The program's own process on Windows: where it lies, and starting another one.

#include <string>

namespace vor {

// The folder of the running executable.
std::string ProgramFolder();

// Starts the program at `path` on its own; it outlives this one. A failure is not an
// error of the update: it is only reported on standard error.
void StartDetachedProgram(const std::string& path);

}  // namespace vor
