#include "profile/BackupAside.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <vector>

namespace vor {
namespace {

constexpr const char* AsideMark = ".set-aside-";

std::string Stamp(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

// The part after the mark ("<stamp>[-n].bin"): set-aside files sort by it, oldest first.
std::optional<std::string> AsideStamp(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    const auto mark = name.find(AsideMark);
    if (mark == std::string::npos || file.extension() != ".bin") return std::nullopt;
    return name.substr(mark + std::char_traits<char>::length(AsideMark));
}

void PruneAsideFiles(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, std::filesystem::path>> aside;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) continue;
        if (auto stamp = AsideStamp(entry.path())) aside.emplace_back(*stamp, entry.path());
    }
    if (aside.size() <= static_cast<std::size_t>(KeptAsideFiles)) return;
    std::sort(aside.begin(), aside.end());
    for (std::size_t i = 0; i + KeptAsideFiles < aside.size(); ++i) std::filesystem::remove(aside[i].second, ec);
}

}  // namespace

std::filesystem::path FreeAsidePath(const std::filesystem::path& backup, const LocalTime& when) {
    const std::string base = backup.stem().string() + AsideMark + Stamp(when);
    std::filesystem::path target;
    std::error_code ec;
    for (int n = 1;; ++n) {
        target = backup.parent_path() / (base + (n == 1 ? "" : "-" + std::to_string(n)) + ".bin");
        if (!std::filesystem::exists(std::filesystem::symlink_status(target, ec))) return target;
    }
}

std::optional<std::filesystem::path> SetBackupAside(const std::filesystem::path& backup, const LocalTime& when,
                                                    std::string& error) {
    const std::filesystem::path target = FreeAsidePath(backup, when);
    std::error_code ec;
    std::filesystem::rename(backup, target, ec);
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    PruneAsideFiles(backup.parent_path());
    return target;
}

}  // namespace vor
