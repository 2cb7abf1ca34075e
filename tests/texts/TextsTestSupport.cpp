#include "tests/texts/TextsTestSupport.h"
#include "session/Messages.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vor::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vor-texts-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

MessageTable SmallTable() {
    MessageTable table;
    table.languages = {"English", "German", "French"};
    table.rows = {
        {Msg::CloseCaption, {"Close", "Schließen", "Fermer"}},
        {Msg::Title, {"Firmware Update", "Firmware-Update", "Mise à jour du firmware"}},
        {900, {"Two\nlines\tand a tab \\", "Zwei", ""}},
    };
    return table;
}

}  // namespace vor::test
