#pragma once
// Helpers of the language-database tests: a private temporary folder, whole-file
// reads and writes, and running a shell command with its output and exit code.

#include <filesystem>
#include <string>

#include "texts/MessageTable.h"

namespace vor::test {

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

struct CommandResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};
CommandResult RunCommand(const std::string& command);

// Single quotes for the shell.
std::string ShellQuote(const std::string& text);

// Three languages; the close caption and the title in all, 900 with an empty French text.
MessageTable SmallTable();

inline const std::string TestPassword = "test-password";

}  // namespace vor::test
