#pragma once
// The content of a language database as the build tool sees it: the language names
// (column 1, 2, ... of "CONTENTS"), one row per message number, and the comment and
// blank lines of the text source with their line numbers, kept so that a dump gives
// the source back byte for byte.

#include <cstdint>
#include <string>
#include <vector>

namespace vor {

// Column c holds the language with code 5000 + 1000 * (c - 1).
constexpr int FirstLanguageCode = 5000;
constexpr int LanguageCodeStep = 1000;

struct MessageRow {
    std::int32_t number = 0;
    std::vector<std::string> texts;  // one per language, in column order

    bool operator==(const MessageRow&) const = default;
};

struct SourceNote {
    int line = 0;      // 1-based line number in the source
    std::string text;  // the whole line, "#..." or empty

    bool operator==(const SourceNote&) const = default;
};

struct MessageTable {
    std::vector<std::string> languages;
    std::vector<MessageRow> rows;   // ascending by number, no duplicates
    std::vector<SourceNote> notes;  // ascending by line

    bool operator==(const MessageTable&) const = default;
};

inline int LanguageCodeOfColumn(int column) { return FirstLanguageCode + LanguageCodeStep * (column - 1); }

}  // namespace vor
