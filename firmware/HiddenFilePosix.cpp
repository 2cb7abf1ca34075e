#include "firmware/HiddenFile.h"

#include "session/Utf8Path.h"

namespace vor {

std::string HiddenFileReason(const std::filesystem::path& path) {
    const std::string name = Utf8Of(path.filename());
    if (name.empty() || name[0] == '.') return "a hidden file (its name starts with \".\")";
    return {};
}

}  // namespace vor
