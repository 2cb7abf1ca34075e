#pragma once
// The program's built-in string resources and the integrity check of its setup record.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vor {

constexpr int ResSetupRecord = 201;  // image file | integrity | close program | language code
constexpr int ResDatabasePassword = 10001;
constexpr int ResParameters = 20001;  // "MERO|VOR|512|6865|1A"

// The built-in text of a string resource; empty for an unknown id.
std::string LoadResString(int id);

// Splits at every `sep`; an empty text gives one empty field.
std::vector<std::string> SplitFields(std::string_view text, char sep = '|');

// CRC-32 (IEEE, as zlib) of the bytes.
std::uint32_t Crc32(std::string_view bytes);

// The integrity field (index 1) is the CRC-32, eight upper-case hex digits, of the
// other fields joined by "|". False for fewer than 2 fields or a mismatch.
bool SetupRecordIntact(const std::vector<std::string>& fields);

// Builds a record with a correct integrity field (for tests and tools).
std::string MakeSetupRecord(const std::string& imageFile, const std::string& closeProgram,
                            const std::string& languageCode);

}  // namespace vor
