#include "cli/CliOptions.h"

namespace vor {

std::optional<int> LanguageColumnOfCode(const std::string& code) {
    if (code == "en") return 1;
    if (code == "de") return 2;
    if (code == "fr") return 3;
    return std::nullopt;
}

}  // namespace vor
