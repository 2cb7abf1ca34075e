#pragma once
// The subcommands of vor-tool, one source file each. Each gets the arguments after
// its own name and returns the process exit code.

#include <string>
#include <vector>

namespace vor::tool {

using Args = std::vector<std::string>;

int TextsCommand(const Args& args);  // texts build|dump
int ImageCommand(const Args& args);  // image build|inspect
int SimCommand(const Args& args);    // sim: the simulated DC on a pseudo-terminal
int BenchCommand(const Args& args);  // bench: link timing against the simulator

}  // namespace vor::tool
