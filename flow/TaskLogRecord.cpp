#include "flow/TaskLogRecord.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "profile/DurableFile.h"
#include "session/WizardServices.h"
#include "session/Utf8Path.h"

namespace fs = std::filesystem;

namespace vor {

std::string FormatTimeOfDay(const LocalTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return text;
}

const char* TaskIconMarker(int iconInd) {
    switch (iconInd) {
    case IconRunning: return "step ";
    case IconError: return "ERROR";
    default: return "info ";
    }
}

namespace {

std::string DateTimeText(const LocalTime& t, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

bool IsRecordName(const std::string& name) {
    const std::string prefix = AttemptRecordPrefix;
    const std::string suffix = AttemptRecordSuffix;
    return name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Oldest first: the names carry the date; a "-2" of the same second comes after the plain name.
void RemoveOldRecords(const fs::path& folder, std::size_t keep) {
    std::vector<fs::path> records;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && IsRecordName(Utf8Of(it->path().filename()))) records.push_back(it->path());
    }
    std::sort(records.begin(), records.end(),
              [](const fs::path& a, const fs::path& b) { return Utf8Of(a.stem()) < Utf8Of(b.stem()); });
    for (std::size_t i = 0; i + keep < records.size(); ++i) fs::remove(records[i], ec);
}

}  // namespace

std::string VersionInIdentity(const std::string& identity) {
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < identity.size(); ++i) {
        if (identity[i] != ' ') {
            words.back() += identity[i];
            continue;
        }
        words.emplace_back();
        if (i + 1 < identity.size() && identity[i + 1] == ' ') ++i;
    }
    if (words.size() != 3 && words.size() != 4) return {};
    const std::string& word = words[words.size() - 2];
    return word.size() <= 2 ? word : word.substr(word.size() - 2);
}

std::string AttemptRecordText(const AttemptRecord& r) {
    std::string out = "vor-fwupdate task log\n";
    const auto line = [&](const char* label, const std::string& value) {
        out += std::string(label) + ": " + (value.empty() ? "unknown" : OneLine(value)) + "\n";
    };
    line("Date", DateTimeText(r.started, "%04d-%02d-%02d %02d:%02d:%02d"));
    line("Attempt", r.kind);
    line("DC identity", r.identity);
    line("DC serial number", r.serialNumber);
    line("DC firmware at the start", r.versionBefore);
    line("DC firmware at the end", r.versionAfter);
    line("Firmware image", r.image);
    if (!r.outcome.empty()) line("Outcome", r.outcome);
    line("Saved profile still to be written back", r.pendingFile.empty() ? "no" : "yes, in " + r.pendingFile);
    if (!r.setAsideFile.empty()) line("Saved profile set aside as", r.setAsideFile);
    if (!r.dcCopy.empty()) line("The DC's own profile saved as", r.dcCopy);
    for (const std::string& warning : r.warnings) line("Warning", warning);
    out += "\n";
    for (const TaskRow& row : r.rows) {
        out += row.time + "  " + TaskIconMarker(row.iconInd) + "  " + OneLine(row.event);
        if (!row.status.empty()) out += "  [" + OneLine(row.status) + "]";
        out += "\n";
    }
    return out;
}

fs::path AttemptRecordPath(const fs::path& folder, const LocalTime& started) {
    const std::string stem = AttemptRecordPrefix + DateTimeText(started, "%04d-%02d-%02d-%02d%02d%02d");
    fs::path path = folder / (stem + AttemptRecordSuffix);
    std::error_code ec;
    for (int n = 2; fs::exists(path, ec); ++n) path = folder / (stem + "-" + std::to_string(n) + AttemptRecordSuffix);
    return path;
}

namespace {

// Two programs on two cables may start an attempt in the same second: a name is
// taken by creating the file exclusively, so neither writes over the other's record.
fs::path ReserveRecordPath(const fs::path& folder, const LocalTime& started) {
    constexpr int Tries = 100;
    fs::path path = AttemptRecordPath(folder, started);
    for (int i = 0; i < Tries; ++i) {
        if (std::FILE* file = CreateNewFile(path, /*binary=*/false)) {
            std::fclose(file);
            return path;
        }
        std::error_code ec;
        if (!fs::exists(path, ec)) return path;  // not creatable at all: the write says why
        path = AttemptRecordPath(folder, started);
    }
    return path;
}

}  // namespace

std::optional<fs::path> WriteAttemptRecord(const fs::path& folder, const AttemptRecord& record, std::string& error,
                                           std::size_t keep) {
    const fs::path path = ReserveRecordPath(folder, record.started);
    const std::string text = AttemptRecordText(record);
    const WriteResult result =
        WriteFileDurably(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!result.ok) {
        error = result.error;
        std::error_code ec;
        if (fs::is_empty(path, ec)) fs::remove(path, ec);  // the reservation, not a record
        return std::nullopt;
    }
    RemoveOldRecords(folder, keep);
    return path;
}

}  // namespace vor
