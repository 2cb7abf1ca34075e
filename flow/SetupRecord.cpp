#include "flow/SetupRecord.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "resources/StringResources.h"

namespace vor {

namespace {
constexpr double BaseLanguageCode = 5000.0;
constexpr std::int32_t CodesPerColumn = 1000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
}  // namespace

double LeadingNumber(const std::string& text) {
    std::string s;
    for (char c : text)
        if (!IsBlank(c)) s += c;

    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t digitsStart = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i;
    }
    const std::size_t mantissaEnd = i;
    if (mantissaEnd == digitsStart || (mantissaEnd == digitsStart + 1 && s[digitsStart] == '.')) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            i = j;
        }
    }
    return std::strtod(s.substr(0, i).c_str(), nullptr);
}

int LanguageColumnOf(const std::vector<std::string>& fields) {
    if (fields.size() < 4) return 1;
    const double offset = LeadingNumber(fields[3]) - BaseLanguageCode;
    // Rounding that does not fit 32 bits would be undefined; such a code keeps the default.
    if (!std::isfinite(offset) || offset < std::numeric_limits<std::int32_t>::min() ||
        offset > std::numeric_limits<std::int32_t>::max())
        return 1;
    const auto rounded = static_cast<std::int32_t>(std::nearbyint(offset));  // halves to even
    return rounded / CodesPerColumn + 1;
}

std::optional<SetupRecord> ReadSetupRecord(const std::string& record) {
    const std::vector<std::string> fields = SplitFields(record);
    if (fields.size() < 2 || !SetupRecordIntact(fields)) return std::nullopt;
    SetupRecord setup;
    setup.imageFile = fields[0];
    setup.closeProgram = fields.size() >= 3 ? fields[2] : std::string();
    setup.languageColumn = LanguageColumnOf(fields);
    return setup;
}

}  // namespace vor
