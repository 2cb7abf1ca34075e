#pragma once
// One JSON object on one line, built field by field: the form of every `--json` event.

#include <string>

namespace vor {

class JsonLine {
public:
    JsonLine& add(const char* key, const std::string& value);
    JsonLine& add(const char* key, const char* value) { return add(key, std::string(value)); }
    JsonLine& add(const char* key, long long value);
    JsonLine& add(const char* key, int value) { return add(key, static_cast<long long>(value)); }
    JsonLine& add(const char* key, bool value);
    // "{...}\n"
    std::string text() const { return "{" + body_ + "}\n"; }

private:
    void key(const char* name);
    std::string body_;
};

// `text` as a JSON string, quotes included. Bytes that are not valid UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);

}  // namespace vor
