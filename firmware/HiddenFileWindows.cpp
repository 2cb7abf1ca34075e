#include <windows.h>

#include "firmware/HiddenFile.h"
#include "session/Utf8Path.h"

namespace vor {

std::string HiddenFileReason(const std::filesystem::path& path) {
    const std::string name = Utf8Of(path.filename());
    if (name.empty() || name[0] == '.') return "a hidden file (its name starts with \".\")";
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    if (attributes & FILE_ATTRIBUTE_SYSTEM) return "a system file (its attributes say so)";
    if (attributes & FILE_ATTRIBUTE_HIDDEN) return "a hidden file (its attributes say so)";
    return {};
}

}  // namespace vor
