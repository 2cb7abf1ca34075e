#include "cli/JsonLine.h"

#include <cstdio>

#include "session/PrintableText.h"

namespace vor {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = Utf8SequenceLength(text, i);
            out += n ? text.substr(i, n) : "\xEF\xBF\xBD";
            i += n ? n : 1;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

void JsonLine::key(const char* name) {
    if (!body_.empty()) body_ += ",";
    body_ += JsonString(name) + ":";
}

JsonLine& JsonLine::add(const char* name, const std::string& value) {
    key(name);
    body_ += JsonString(value);
    return *this;
}

JsonLine& JsonLine::add(const char* name, long long value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::add(const char* name, bool value) {
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

}  // namespace vor
