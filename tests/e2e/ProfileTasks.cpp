#include "tests/e2e/ProfileTasks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vor::e2e {

namespace fs = std::filesystem;

void Begin(Harness& h, ProfileTask task) {
    h.runTask(std::move(task));
    ASSERT_TRUE(h.started() ? h.startAgain() : h.start());
}

void Proceed(Harness& h) {
    constexpr int Tries = 3;
    for (int attempt = 0; attempt < Tries && !h.ended(); ++attempt) {
        h.clickNext();
        if (h.deepSleepPageShown()) {
            h.pressDcButtons();
            h.clickNext();
        }
        if (h.ended() || h.state().Stage > 1) return;
        h.pressDcButtons();  // no answer at the first page: the DC back into its PC screen
    }
}

void RunTask(Harness& h, ProfileTask task) {
    Begin(h, std::move(task));
    Proceed(h);
}

std::vector<fs::path> FilesLike(Harness& h, const std::string& mark) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(h.backupFolder()))
        if (e.path().filename().string().find(mark) != std::string::npos && e.path().extension() == ".bin")
            found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found;
}

void DiveWith(Harness& h) {
    sim::DcMemory& m = h.dc().memory();
    for (int line = m.startLine(); line <= m.endLine(); ++line) {
        sim::Line l = m.line(line);
        for (auto& b : l) b = static_cast<std::uint8_t>(b ^ 0x3C);
        m.writeLine(line, l);
    }
}

}  // namespace vor::e2e
