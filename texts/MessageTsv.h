#pragma once
// The reviewable text source of the language database.
//
// Format, one record per line (LF line ends):
//   - lines starting with "#" and empty lines are comments, kept as they are;
//   - the first other line is the header: "Number", then one name per language;
//   - every further line: a message number, then one text per language, TAB-separated.
// Numbers are decimal 32-bit integers without sign "+" or leading zeros, strictly
// ascending. Inside a field \t, \n, \r and \\ stand for TAB, LF, CR and a backslash;
// no other backslash sequence and no raw control character is accepted. Text must be
// UTF-8.

#include <string>
#include <string_view>

#include "texts/MessageTable.h"

namespace vor {

struct TsvParseResult {
    bool ok = false;
    MessageTable table;
    int errorLine = 0;   // 1-based; set when !ok
    std::string reason;  // set when !ok
};

TsvParseResult ParseMessageTsv(std::string_view source);

// The source text of `table`; ParseMessageTsv(FormatMessageTsv(t)).table == t.
std::string FormatMessageTsv(const MessageTable& table);

}  // namespace vor
