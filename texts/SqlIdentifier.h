#pragma once
// Quotes a table or column name for SQL text: any name is safe inside the quotes.

#include <string>

namespace vor {

inline std::string QuoteSqlIdentifier(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace vor
