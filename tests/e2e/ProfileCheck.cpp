#include "tests/e2e/ProfileCheck.h"

#include "cli/JsonLine.h"
#include "session/Messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vor::e2e {

namespace {

constexpr int LineBytes = 16;
constexpr int FirstProfileLine = 256;
constexpr std::size_t FileSize = 266274;
constexpr std::size_t TableOffset = 34;
constexpr int TableRows = 1024;

int LastProfileLine(int memorySize) { return memorySize * 8 - 33; }

int PointerLine(std::uint8_t low, std::uint8_t high, int memorySize) {
    const int value = low + 256 * high;
    return memorySize == 1024 ? value : value / 16;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

ProfileSnapshot TakeProfile(const sim::SimulatedDc& dc) {
    const sim::DcMemory& m = dc.memory();
    ProfileSnapshot s;
    s.memorySize = m.memorySize();
    for (int line = FirstProfileLine; line <= LastProfileLine(s.memorySize); ++line) {
        const sim::Line l = m.line(line);
        s.area.insert(s.area.end(), l.begin(), l.end());
    }
    s.header = m.line(4);
    s.empty = m.startLine() == m.endLine();
    return s;
}

bool DcHoldsProfile(const ProfileSnapshot& before, const sim::SimulatedDc& dc) {
    const ProfileSnapshot now = TakeProfile(dc);
    if (before.empty) return now.empty && now.area == before.area;
    return now.area == before.area && now.header == before.header;
}

std::string BackupFileProblem(const std::filesystem::path& file, const ProfileSnapshot& before, std::uint32_t serial) {
    if (before.empty) return {};
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return "no backup file " + file.filename().string();
    const std::vector<std::uint8_t> bytes = ReadAll(file);
    if (bytes.size() != FileSize) return "backup file has " + std::to_string(bytes.size()) + " bytes";

    // Header: the 16 bytes of line 4 and their sum.
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i) {
        if (bytes[static_cast<std::size_t>(i)] != before.header[static_cast<std::size_t>(i)])
            return "header byte " + std::to_string(i) + " differs";
        sum += bytes[static_cast<std::size_t>(i)];
    }
    if (bytes[16] != (sum & 0xFF)) return "header check byte differs";
    // Serial digits: six decimal digits, then zeros.
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06u", static_cast<unsigned>(serial % 1000000));
    for (int i = 0; i < 17; ++i) {
        const int want = i < 6 ? digits[i] - '0' : 0;
        if (bytes[static_cast<std::size_t>(17 + i)] != want) return "serial digit " + std::to_string(i) + " differs";
    }

    const auto value = [&](int row, int column) {
        const std::size_t at = TableOffset + 2u * static_cast<std::size_t>(column * TableRows + row);
        return static_cast<int>(static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8)));
    };
    const int size = before.memorySize;
    int start = PointerLine(bytes[8], bytes[9], size);
    int end = PointerLine(bytes[10], bytes[11], size);
    if (start == end) return "backup file holds an empty profile";
    if (end < start) {
        start = FirstProfileLine;
        end = LastProfileLine(size);
    }
    start = std::max(start, FirstProfileLine);
    end = std::max(end, FirstProfileLine);
    const int first = start / 8 * 8;
    const int count = end / 8 - start / 8 + 1;
    for (int r = 0; r < count; ++r) {
        const int line = first + 8 * r;
        if (value(r, 0) != line - FirstProfileLine) return "row " + std::to_string(r) + " has a wrong address";
        unsigned rowSum = 0;
        for (int i = 0; i < 128; ++i) {
            const std::size_t at = static_cast<std::size_t>((line - FirstProfileLine) * LineBytes + i);
            const int stored = value(r, i + 1);
            if (at >= before.area.size() || stored != before.area[at])
                return "row " + std::to_string(r) + " byte " + std::to_string(i) + " differs";
            rowSum += static_cast<unsigned>(stored);
        }
        if (value(r, 129) != static_cast<int>(rowSum % 256)) return "row " + std::to_string(r) + " check byte differs";
    }
    return {};
}

bool ReportsSuccess(const std::vector<LogRow>& log) {
    return std::any_of(log.begin(), log.end(), [](const LogRow& r) {
        return (r.event == M(Msg::UpdateSucceeded)) || (r.event == M(Msg::CheckStep) && r.status == M(Msg::Done));
    });
}

std::string OutcomeProblem(const ProfileSnapshot& before, Harness& h) {
    const CliOutcome o = h.outcome();
    const bool inDc = DcHoldsProfile(before, h.dc());
    std::error_code ec;
    const bool pending = std::filesystem::exists(h.backupFile(), ec);
    const std::string json = OutcomeEvent(o);
    const std::string told = "the outcome (exit " + std::to_string(o.exit) + ": " + o.message + ")";
    // A run that never reached a DC changed nothing and cannot know whose a file is.
    const bool mustName = pending && !(o.exit == 3 && !o.run.attempted);
    if ((o.exit == 4) != mustName)
        return told + (pending ? " does not name the pending " : " names a backup, but there is no ") +
               h.backupFile().string();
    if (mustName && (o.run.pendingFile != h.backupFile() ||
                     json.find("\"backup\":" + JsonString(h.backupFile().string())) == std::string::npos))
        return told + " names another file than " + h.backupFile().string();
    const bool saysInDc = o.exit == 0 || o.run.profile == ProfileEnd::Verified ||
                          (o.run.profile == ProfileEnd::Untouched && o.run.silentPort.empty());
    if (saysInDc && !inDc) return told + " says the DC holds its profile, but it does not";
    if (!inDc && !pending) {
        if (o.run.profile != ProfileEnd::SetAside) return told + " names no copy of the profile the DC lost";
        const std::string problem = BackupFileProblem(o.run.setAsideFile, before, h.serial());
        if (!problem.empty()) return told + " names a set-aside file, but " + problem;
    }
    const std::string record = h.lastRecord();
    if (!record.empty()) {
        if (record.find(o.message + "\n") == std::string::npos) return "the attempt record says otherwise than " + told;
        const bool recordPending = record.find("Saved profile still to be written back: yes") != std::string::npos;
        if (recordPending != pending) return "the attempt record's pending line disagrees with the files on disk";
    }
    return {};
}

Judgement JudgeProfile(const ProfileSnapshot& before, Harness& h, bool endedEarly) {
    if (h.overran()) return {Verdict::Broken, "the program did not finish within its budget"};
    Judgement j = JudgeFiles(before, h, endedEarly);
    if (j.verdict == Verdict::Broken || h.killed()) return j;
    if (std::string problem = OutcomeProblem(before, h); !problem.empty()) return {Verdict::Broken, problem};
    return j;
}

Judgement JudgeFiles(const ProfileSnapshot& before, Harness& h, bool endedEarly) {
    const std::vector<LogRow> log = h.log();
    const bool inDc = DcHoldsProfile(before, h.dc());
    std::error_code ec;
    const bool fileLeft = std::filesystem::exists(h.backupFile(), ec);
    if (ReportsSuccess(log)) {
        if (!inDc) return {Verdict::Broken, "success reported but the DC's profile differs from before"};
        if (fileLeft) return {Verdict::Broken, "success reported but a backup file is left to overwrite newer dives"};
        return {Verdict::Success, {}};
    }
    if (inDc) return {Verdict::SafeFailure, {}};
    const std::string problem = BackupFileProblem(h.backupFile(), before, h.serial());
    if (!problem.empty()) {
        // Given up by the diver: then it must lie whole in a set-aside file.
        for (const auto& e : std::filesystem::directory_iterator(h.backupFolder()))
            if (e.path().filename().string().find(".set-aside-") != std::string::npos &&
                BackupFileProblem(e.path(), before, h.serial()).empty())
                return {Verdict::SafeFailure, {}};
        return {Verdict::Broken, "the DC lost its profile and " + problem};
    }
    if (!endedEarly && !h.ended() && h.state().ProfileIntact)
        return {Verdict::Broken, "the profile is only in the backup file but Close would not offer the recovery"};
    return {Verdict::SafeFailure, {}};
}

void ExpectProfileKept(const ProfileSnapshot& before, Harness& h, bool endedEarly) {
    const Judgement j = JudgeProfile(before, h, endedEarly);
    EXPECT_NE(j.verdict, Verdict::Broken) << j.why << "\n" << h.logText();
}

const char* VerdictName(Verdict v) {
    switch (v) {
    case Verdict::Success: return "success";
    case Verdict::SafeFailure: return "failure, profile safe";
    case Verdict::Broken: return "broken";
    }
    return "?";
}

}  // namespace vor::e2e
