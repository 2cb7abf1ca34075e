#pragma once
// Database texts carry "%1", "%2", ... where the program puts a file name, a version
// or a date; a marker the text does not carry is left out.

#include <initializer_list>
#include <string>

namespace vor {

// `text` with its first "%1" replaced by the first value, its first "%2" by the second, ...
inline std::string WithMarkers(std::string text, std::initializer_list<std::string> values) {
    int number = 0;
    for (const std::string& value : values) {
        const std::string marker = "%" + std::to_string(++number);
        if (const auto at = text.find(marker); at != std::string::npos) text.replace(at, marker.size(), value);
    }
    return text;
}

}  // namespace vor
