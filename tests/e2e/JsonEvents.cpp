#include "tests/e2e/JsonEvents.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vor::e2e {

namespace {

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}
    bool object(JsonEvent& event) {
        if (!take('{')) return false;
        if (take('}')) return end();
        do {
            std::string key, value;
            if (!string(key) || !take(':') || !this->value(value)) return false;
            event[key] = value;
        } while (take(','));
        return take('}') && end();
    }

private:
    bool take(char c) {
        if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
        return false;
    }
    bool end() const { return i_ == s_.size(); }
    bool value(std::string& out) {
        if (i_ < s_.size() && s_[i_] == '"') return string(out);
        const std::size_t start = i_;
        while (i_ < s_.size() && s_[i_] != ',' && s_[i_] != '}') ++i_;
        out = s_.substr(start, i_ - start);
        return !out.empty();
    }
    bool string(std::string& out) {
        if (!take('"')) return false;
        while (i_ < s_.size() && s_[i_] != '"') {
            const char c = s_[i_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) return false;
            const char e = s_[i_++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u':
                if (i_ + 4 > s_.size()) return false;
                AppendUtf8(out, static_cast<unsigned>(std::stoul(s_.substr(i_, 4), nullptr, 16)));
                i_ += 4;
                break;
            default: out += e;
            }
        }
        return take('"');
    }
    const std::string& s_;
    std::size_t i_ = 0;
};

}  // namespace

std::vector<JsonEvent> ParseJsonEvents(const std::string& stream) {
    std::vector<JsonEvent> events;
    std::istringstream lines(stream);
    for (std::string line; std::getline(lines, line);) {
        JsonEvent event;
        if (Reader(line).object(event))
            events.push_back(std::move(event));
        else
            ADD_FAILURE() << "not a JSON event: " << line;
    }
    return events;
}

}  // namespace vor::e2e
