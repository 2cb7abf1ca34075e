#pragma once
// A fresh, empty folder of the test's own under the system's temporary folder, made
// exclusively (so two tests never share one), on POSIX and Windows alike.

#include <filesystem>
#include <random>
#include <string>

namespace vor::test {

inline std::filesystem::path MakeTempFolder(const std::string& prefix) {
    std::random_device random;
    for (;;) {
        const auto folder = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder)) return folder;
    }
}

}  // namespace vor::test
