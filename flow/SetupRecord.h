#pragma once
// The built-in setup record (string resource 201): image file | integrity |
// program to start on close | language code.

#include <optional>
#include <string>
#include <vector>

namespace vor {

struct SetupRecord {
    std::string imageFile;     // field 0
    std::string closeProgram;  // field 2, empty when absent
    int languageColumn = 1;    // from field 3
};

// The numeric value at the start of a text, blanks ignored ("6000 de" -> 6000,
// "x" -> 0), decimals and an exponent allowed.
double LeadingNumber(const std::string& text);

// 1 for fewer than 4 fields; otherwise (code - 5000), rounded to the nearest
// integer with halves to even, divided by 1000 toward zero, plus 1.
// 5000 -> 1, 6000 -> 2, 7000 -> 3. A code out of the 32-bit range gives 1.
int LanguageColumnOf(const std::vector<std::string>& fields);

// Nothing when the record has fewer than 2 fields or fails its integrity check:
// the program must then end without a message.
std::optional<SetupRecord> ReadSetupRecord(const std::string& record);

}  // namespace vor
