#include "cli/JsonLine.h"

#include <cstdint>
#include <cstdio>

namespace vor {

namespace {

// Length of the valid UTF-8 sequence at `i`, 0 when it is not one.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    const std::uint8_t b = byte(i);
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4, min = 0x10000;
    else
        return 0;
    if (i + n > s.size()) return 0;
    std::uint32_t code = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = Utf8Length(text, i);
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
