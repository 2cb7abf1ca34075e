#pragma once
// The record of an update attempt for the diver to send to support: a header with
// the date, the DC's identity, serial number and versions and the outcome, then every
// task-log row. One text file per attempt in the backup folder; old ones are removed
// beyond a limit, newest kept. Nothing else in the folder is touched.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "flow/TaskRow.h"

namespace vor {

struct AttemptRecord {
    LocalTime started;
    std::string kind;                   // "Firmware update", "Profile recovery", ...
    std::string identity;               // the DC's 16 characters as last read; empty when never read
    std::string serialNumber;           // from the DC's memory (block 0); empty when not read
    std::string versionBefore;          // the DC's firmware version when the attempt started
    std::string versionAfter;           // ... and in the last identity read
    std::string image;                  // the firmware image file and its version
    std::string outcome;                // empty when not known yet
    std::string pendingFile;            // the saved profile that still waits to be written back
    std::string setAsideFile;           // a saved profile that was set aside
    std::string dcCopy;                 // what the DC held, saved while nobody chose
    std::vector<std::string> warnings;  // problems the program ran on with (a faulty language database)
    std::vector<TaskRow> rows;
};

constexpr std::size_t AttemptRecordsKept = 50;
constexpr const char* AttemptRecordPrefix = "task-log-";
constexpr const char* AttemptRecordSuffix = ".txt";

// The firmware version an identity names, read as the DC's identity check reads it:
// double blanks count once; of three words the second, of four the third, gives its
// last two characters. Empty for any other identity.
std::string VersionInIdentity(const std::string& identity);

// The record as text, lines ending in "\n". Row texts keep their language; line
// breaks inside a row become blanks so that every row is one line.
std::string AttemptRecordText(const AttemptRecord& record);

// "task-log-2024-05-01-143012.txt", with "-2", "-3", ... before the suffix when that
// name is taken.
std::filesystem::path AttemptRecordPath(const std::filesystem::path& folder, const LocalTime& started);

// Writes the record into `folder` and removes the oldest records beyond `keep`.
// The written file, or nothing with `error` set.
std::optional<std::filesystem::path> WriteAttemptRecord(const std::filesystem::path& folder,
                                                        const AttemptRecord& record, std::string& error,
                                                        std::size_t keep = AttemptRecordsKept);

}  // namespace vor
