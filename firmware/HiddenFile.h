#pragma once
// A file the system keeps out of sight counts as missing: a copy of the image nobody can
// see in the folder must not be loaded in place of the one they put there.

#include <filesystem>
#include <string>

namespace vor {

// Why `path` is hidden ("a hidden file (its name starts with ".")"); empty when it is not.
// Linux: a dot-file. Windows: a dot-file, or the hidden or system attribute.
std::string HiddenFileReason(const std::filesystem::path& path);

}  // namespace vor
