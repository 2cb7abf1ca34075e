#include "profile/BackupAside.h"
#include "session/Utf8Path.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>
#include <tuple>
#include <vector>

#include "profile/BackupCheck.h"

namespace vor {
namespace {

constexpr const char* AsideMark = ".set-aside-";
constexpr const char* SavedMark = ".saved-";
constexpr const char* AsideExtension = ".bin";
constexpr std::size_t StampLength = 15;  // yyyymmdd-hhmmss

std::string Stamp(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// What a set-aside file's name says: whose profile it holds and when it was set aside.
struct AsideName {
    std::string dc;     // "<model>.<serial>"
    std::string stamp;  // yyyymmdd-hhmmss: fixed width, so it sorts as text
    long number = 1;    // the -n of a second's later files; the unsuffixed one is the first
    std::filesystem::path path;

    bool OlderThan(const AsideName& other) const {
        return std::tie(stamp, number) < std::tie(other.stamp, other.number);
    }
};

std::optional<AsideName> ParseAsideName(const std::filesystem::path& file) {
    const std::string name = Utf8Of(file.filename());
    const auto mark = name.find(AsideMark);
    if (mark == std::string::npos || file.extension() != AsideExtension) return std::nullopt;
    const std::size_t from = mark + std::char_traits<char>::length(AsideMark);
    const std::string rest = name.substr(from, name.size() - from - std::char_traits<char>::length(AsideExtension));
    AsideName aside{name.substr(0, mark), rest.substr(0, StampLength), 1, file};
    if (aside.stamp.size() != StampLength || aside.stamp[8] != '-' || !AllDigits(aside.stamp.substr(0, 8)) ||
        !AllDigits(aside.stamp.substr(9)))
        return std::nullopt;
    if (rest.size() == StampLength) return aside;
    const std::string suffix = rest.substr(StampLength + 1);
    if (rest[StampLength] != '-' || !AllDigits(suffix) || suffix.size() > 9) return std::nullopt;
    aside.number = std::stol(suffix);
    return aside;
}

// Keeps the newest KeptAsideFiles of `made`'s DC, `made` always among them. Names that
// do not parse are not this program's to delete.
void PruneAsideFiles(const std::filesystem::path& made) {
    const std::optional<AsideName> own = ParseAsideName(made);
    if (!own) return;
    std::vector<AsideName> others;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(made.parent_path(), ec)) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError) || entry.path().filename() == made.filename()) continue;
        std::optional<AsideName> aside = ParseAsideName(entry.path());
        if (aside && aside->dc == own->dc) others.push_back(std::move(*aside));
    }
    const std::size_t keptOthers = KeptAsideFiles - 1;
    if (others.size() <= keptOthers) return;
    std::sort(others.begin(), others.end(), [](const AsideName& a, const AsideName& b) { return a.OlderThan(b); });
    for (std::size_t i = 0; i + keptOthers < others.size(); ++i) {
        std::filesystem::remove(others[i].path, ec);
        std::filesystem::remove(DigestPathFor(others[i].path), ec);
    }
}

}  // namespace

namespace {

std::filesystem::path FreeDatedPath(const std::filesystem::path& backup, const char* mark, const LocalTime& when) {
    const std::string base = Utf8Of(backup.stem()) + mark + Stamp(when);
    std::filesystem::path target;
    std::error_code ec;
    for (int n = 1;; ++n) {
        target = backup.parent_path() / PathOfUtf8(base + (n == 1 ? "" : "-" + std::to_string(n)) + AsideExtension);
        if (!std::filesystem::exists(std::filesystem::symlink_status(target, ec))) return target;
    }
}

}  // namespace

std::filesystem::path FreeAsidePath(const std::filesystem::path& backup, const LocalTime& when) {
    return FreeDatedPath(backup, AsideMark, when);
}

std::filesystem::path FreeSavedPath(const std::filesystem::path& backup, const LocalTime& when) {
    return FreeDatedPath(backup, SavedMark, when);
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
    // The digest goes along, so the set-aside file can still be checked; it never
    // stays behind to judge a later backup of the same name.
    if (std::filesystem::exists(DigestPathFor(backup), ec)) {
        std::filesystem::rename(DigestPathFor(backup), DigestPathFor(target), ec);
        if (ec) std::filesystem::remove(DigestPathFor(backup), ec);
    }
    PruneAsideFiles(target);
    return target;
}

}  // namespace vor
