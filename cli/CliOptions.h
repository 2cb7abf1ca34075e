#pragma once
// What `vor-fwupdate --cli` and `--list-ports` were asked to do.

#include <optional>
#include <string>

#include "flow/ProfileTask.h"

namespace vor {

struct CliOptions {
    bool listPorts = false;             // --list-ports: print the cables and end
    std::string port;                   // --port NAME; empty: search the cable
    std::string image;                  // --image FILE; empty: the program folder's
    bool yes = false;                   // --yes: Yes and OK to every question, no Enter waits
    bool json = false;                  // --json: one JSON object per line per event
    std::optional<int> languageColumn;  // --lang en|de|fr: 1, 2, 3
    ProfileTask task;                   // --info, --backup [FILE], --restore FILE
};

// The column of a --lang value, nothing for an unknown one.
std::optional<int> LanguageColumnOfCode(const std::string& code);

}  // namespace vor
