#pragma once
// A backup file that must never be written back again (the diver gave it up, it is
// not a usable backup of the DC on the cable, or the DC holds newer dives) is moved
// out of the way instead of being deleted: it may be the only copy of a dive log.
// It stays in the same folder as "<model>.<serial>.set-aside-<yyyymmdd>-<hhmmss>[-n].bin",
// a name no lookup of "<model>.<serial>.bin" matches.
//
// Each DC keeps its newest KeptAsideFiles of them: on a service bench one DC's
// set-aside files never push out another's. Age is the stamp in the name, a second's
// -n suffix counted as a number; the file just made is never pruned, even when a clock
// that ran ahead once stamped older files in the future.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/EventPump.h"

namespace vor {

constexpr int KeptAsideFiles = 20;

// A set-aside name for `backup` that no file has yet.
std::filesystem::path FreeAsidePath(const std::filesystem::path& backup, const LocalTime& when);
// "<model>.<serial>.saved-<yyyymmdd>-<hhmmss>[-n].bin" beside `backup`, free: a copy the
// diver asked for, never taken for a pending backup and never pruned.
std::filesystem::path FreeSavedPath(const std::filesystem::path& backup, const LocalTime& when);

// Renames `backup` beside itself (never over another file) and prunes the oldest
// set-aside files of the same DC. The new path, or nothing with `error` set.
std::optional<std::filesystem::path> SetBackupAside(const std::filesystem::path& backup, const LocalTime& when,
                                                    std::string& error);

}  // namespace vor
