#pragma once
// One list that several test doubles write into, so a test can check the order of
// what happened across them.

#include <string>
#include <vector>

namespace vor::test {

using Journal = std::vector<std::string>;

// Entries of `journal` that start with `prefix`.
inline std::vector<std::string> Entries(const Journal& journal, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& e : journal)
        if (e.rfind(prefix, 0) == 0) found.push_back(e);
    return found;
}

// Index of the first entry equal to `entry` at or after `from`; -1 when absent.
inline int IndexOf(const Journal& journal, const std::string& entry, int from = 0) {
    for (std::size_t i = static_cast<std::size_t>(from); i < journal.size(); ++i)
        if (journal[i] == entry) return static_cast<int>(i);
    return -1;
}

}  // namespace vor::test
