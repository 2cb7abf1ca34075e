#pragma once
// Paths and text meet as UTF-8 on every system. The plain conversions of
// std::filesystem::path use the C library's 8-bit code page on Windows, which turns a
// folder named "Jörg" into "JÃ¶rg" and cannot hold "ダイビング" at all.

#include <filesystem>
#include <string>
#include <string_view>

namespace vor {

std::filesystem::path PathOfUtf8(std::string_view utf8);
std::string Utf8Of(const std::filesystem::path& path);

}  // namespace vor
