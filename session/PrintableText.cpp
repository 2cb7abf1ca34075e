#include "session/PrintableText.h"

#include <cstdint>
#include <cstdio>

namespace vor {
namespace {

// A C1 control (U+0080..U+009F) is valid UTF-8 but steers a terminal like a control byte.
bool IsC1Control(std::string_view s, std::size_t i, std::size_t length) {
    return length == 2 && static_cast<std::uint8_t>(s[i]) == 0xC2 && static_cast<std::uint8_t>(s[i + 1]) <= 0x9F;
}

void AppendEscaped(std::string& out, unsigned char c) {
    switch (c) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        out += escaped;
    }
    }
}

std::string Escaped(std::string_view text, bool keepLineEnds) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (keepLineEnds && (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))) {
            out += '\n';
            i += c == '\r' ? 2 : 1;
            continue;
        }
        if (c >= 0x80) {
            std::size_t n = Utf8SequenceLength(text, i);
            if (IsC1Control(text, i, n)) n = 0;
            if (n) {
                out.append(text.substr(i, n));
                i += n;
                continue;
            }
        }
        if (c < 0x20 || c >= 0x7F) {
            AppendEscaped(out, c);
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
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

std::string PrintableText(std::string_view text) { return Escaped(text, false); }

std::string PrintableLines(std::string_view text) { return Escaped(text, true); }

}  // namespace vor
