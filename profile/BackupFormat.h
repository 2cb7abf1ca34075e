#pragma once
// The profile backup file, byte for byte: the 17-byte profile header, the 17 serial
// digits, then all 1024 x 130 values of the profile table column by column (the value
// of row r, column c at offset 34 + 2*(c*1024 + r)), little-endian 16-bit. No signature,
// no length field: the size alone tells a complete file.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "session/BlockTable.h"

namespace vor {

constexpr int ProfileHeaderSize = 17;
constexpr int SerialDigitsSize = 17;
constexpr std::size_t BackupTableOffset = ProfileHeaderSize + SerialDigitsSize;
constexpr std::size_t BackupFileSize = BackupTableOffset + 2u * BlockTableRows * BlockTableColumns;  // 266,274

using ProfileHeaderBytes = std::array<std::uint8_t, ProfileHeaderSize>;
using SerialDigitBytes = std::array<std::uint8_t, SerialDigitsSize>;

struct BackupContent {
    ProfileHeaderBytes header{};
    SerialDigitBytes digits{};
    BlockTable blocks;
};

std::vector<std::uint8_t> EncodeBackup(const ProfileHeaderBytes& header, const SerialDigitBytes& digits,
                                       const BlockTable& blocks);

// Nothing when the size is not exactly BackupFileSize. Values are taken as stored;
// whether they make sense is the caller's judgement.
std::optional<BackupContent> DecodeBackup(const std::vector<std::uint8_t>& bytes);

// The check byte of the format: the sum of the bytes, mod 256.
std::uint8_t ByteSum(std::span<const std::uint8_t> bytes);

// Header bytes 8..11 (block-0 bytes 72..75): the start and end pointers of the profile.
constexpr std::size_t HeaderPointerOffset = 8;
inline std::span<const std::uint8_t, 4> HeaderPointers(const ProfileHeaderBytes& header) {
    return std::span<const std::uint8_t, ProfileHeaderSize>(header).subspan<HeaderPointerOffset, 4>();
}

// The serial number with at least six digits, zero-padded on the left.
std::string SerialText(std::int32_t serialNumber);

// "<modelNumber>.<SerialText>.bin"
std::string BackupFileName(int modelNumber, std::int32_t serialNumber);

}  // namespace vor
