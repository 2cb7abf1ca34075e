#pragma once
// Builds a password-protected language database from a message table, and reads one
// back into a table (for the dump of the build tool).
//
// Layout written: "CONTENTS" (field 0 "Number" with the unique index "ID", then one
// text field per language), "LANGUAGES" ("Column", "Code", "Name"; codes 5000, 6000,
// ...) and "SOURCE_NOTES" (the comment lines of the text source, for an exact dump).

#include <string>

#include "texts/MessageTable.h"

namespace vor {

// Writes atomically: the database is built under a temporary name beside `path` and
// renamed over it only when complete, so a failure leaves an existing `path` as it was.
// False with `error` set on failure.
bool WriteLanguageDb(const MessageTable& table, const std::string& path, const std::string& password,
                     std::string& error);

// Reads a database written by WriteLanguageDb. False with `error` set on failure.
bool ReadLanguageDb(const std::string& path, const std::string& password, MessageTable& table, std::string& error);

}  // namespace vor
