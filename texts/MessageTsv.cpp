#include "texts/MessageTsv.h"

#include <charconv>
#include <cstdint>
#include <map>
#include <optional>

namespace vor {

namespace {

constexpr std::string_view HeaderFirstField = "Number";

struct LineError {
    std::string reason;
};

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if (!IsContinuation(cc)) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::optional<LineError> CheckCharacters(std::string_view raw) {
    for (char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\t') continue;  // the field separator
        if (c == '\r') return LineError{"carriage return in the line (save the file with LF line ends)"};
        if (c < 0x20 || c == 0x7F) {
            return LineError{"control character " + std::to_string(c) + " in the line (write TAB as \\t)"};
        }
    }
    if (!IsValidUtf8(raw)) return LineError{"the line is not valid UTF-8"};
    return std::nullopt;
}

std::optional<LineError> Unescape(std::string_view field, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (i + 1 == field.size()) return LineError{"a lone backslash ends a field (write \\\\)"};
        switch (field[++i]) {
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default:
            return LineError{std::string("unknown escape \\") + field[i] +
                             " (only \\t, \\n, \\r and \\\\ are allowed)"};
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> SplitAtTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

std::optional<LineError> ParseNumber(std::string_view text, std::int32_t& number) {
    const std::string shown = "\"" + std::string(text) + "\"";
    const std::string_view digits = !text.empty() && text[0] == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return LineError{"message number " + shown + " is not a decimal number"};
    // One spelling per number, so that the dump gives the source back exactly.
    if ((digits.size() > 1 && digits[0] == '0') || text == "-0")
        return LineError{"message number " + shown + " has leading zeros"};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || end != text.data() + text.size())
        return LineError{"message number " + shown + " is out of the 32-bit range"};
    return std::nullopt;
}

class Parser {
public:
    TsvParseResult run(std::string_view source) {
        int lineNo = 0;
        std::size_t start = 0;
        while (start < source.size()) {
            std::size_t end = source.find('\n', start);
            if (end == std::string_view::npos) end = source.size();
            ++lineNo;
            if (auto error = parseLine(source.substr(start, end - start), lineNo)) {
                return fail(lineNo, error->reason);
            }
            start = end + 1;
        }
        if (!haveHeader_) return fail(lineNo + 1, "missing header row (\"Number\", then one name per language)");
        result_.ok = true;
        return std::move(result_);
    }

private:
    TsvParseResult fail(int line, std::string reason) {
        TsvParseResult failed;
        failed.errorLine = line;
        failed.reason = std::move(reason);
        return failed;
    }

    std::optional<LineError> parseLine(std::string_view line, int lineNo) {
        if (auto error = CheckCharacters(line)) return error;
        MessageTable& table = result_.table;
        if (line.empty() || line[0] == '#') {
            table.notes.push_back({lineNo, std::string(line)});
            return std::nullopt;
        }
        const auto raw = SplitAtTabs(line);
        std::vector<std::string> fields(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (auto error = Unescape(raw[i], fields[i])) return error;
        }
        return haveHeader_ ? parseRow(fields, lineNo) : parseHeader(fields);
    }

    std::optional<LineError> parseHeader(const std::vector<std::string>& fields) {
        if (fields[0] != HeaderFirstField) return LineError{"the header row must start with \"Number\""};
        if (fields.size() < 2) return LineError{"the header row names no language"};
        for (std::size_t i = 1; i < fields.size(); ++i) {
            if (fields[i].empty()) return LineError{"language " + std::to_string(i) + " has no name"};
            for (std::size_t k = 1; k < i; ++k) {
                if (fields[k] == fields[i]) return LineError{"language \"" + fields[i] + "\" is named twice"};
            }
        }
        result_.table.languages.assign(fields.begin() + 1, fields.end());
        haveHeader_ = true;
        return std::nullopt;
    }

    std::optional<LineError> parseRow(std::vector<std::string>& fields, int lineNo) {
        const std::size_t languages = result_.table.languages.size();
        if (fields.size() != languages + 1) {
            return LineError{"expected " + std::to_string(languages + 1) + " TAB-separated fields (number and " +
                             std::to_string(languages) + " texts), found " + std::to_string(fields.size())};
        }
        MessageRow row;
        if (auto error = ParseNumber(fields[0], row.number)) return error;
        if (const auto seen = lineOfNumber_.find(row.number); seen != lineOfNumber_.end()) {
            return LineError{"message number " + fields[0] + " appears twice (first on line " +
                             std::to_string(seen->second) + ")"};
        }
        auto& rows = result_.table.rows;
        if (!rows.empty() && row.number < rows.back().number) {
            return LineError{"message number " + fields[0] + " is out of order (after " +
                             std::to_string(rows.back().number) + "); keep the rows sorted by number"};
        }
        row.texts.assign(std::make_move_iterator(fields.begin() + 1), std::make_move_iterator(fields.end()));
        lineOfNumber_[row.number] = lineNo;
        rows.push_back(std::move(row));
        return std::nullopt;
    }

    TsvParseResult result_;
    bool haveHeader_ = false;
    std::map<std::int32_t, int> lineOfNumber_;
};

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

TsvParseResult ParseMessageTsv(std::string_view source) { return Parser().run(source); }

std::string FormatMessageTsv(const MessageTable& table) {
    std::vector<std::string> records;
    std::string header(HeaderFirstField);
    for (const auto& name : table.languages) header += "\t" + Escape(name);
    records.push_back(std::move(header));
    for (const auto& row : table.rows) {
        std::string line = std::to_string(row.number);
        for (const auto& text : row.texts) line += "\t" + Escape(text);
        records.push_back(std::move(line));
    }

    // Notes go back to their own line numbers; records fill the lines between them.
    std::string out;
    std::size_t nextRecord = 0;
    std::size_t nextNote = 0;
    for (int line = 1; nextRecord < records.size() || nextNote < table.notes.size(); ++line) {
        const bool noteHere =
            nextNote < table.notes.size() && (table.notes[nextNote].line <= line || nextRecord == records.size());
        out += noteHere ? table.notes[nextNote++].text : records[nextRecord++];
        out += '\n';
    }
    return out;
}

}  // namespace vor
