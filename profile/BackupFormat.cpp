#include "profile/BackupFormat.h"

#include <algorithm>
#include <cstdio>

namespace vor {
namespace {

std::size_t ValueOffset(int row, int column) {
    return BackupTableOffset + 2u * (static_cast<std::size_t>(column) * BlockTableRows + static_cast<std::size_t>(row));
}

}  // namespace

std::vector<std::uint8_t> EncodeBackup(const ProfileHeaderBytes& header, const SerialDigitBytes& digits,
                                       const BlockTable& blocks) {
    std::vector<std::uint8_t> out(BackupFileSize);
    std::copy(header.begin(), header.end(), out.begin());
    std::copy(digits.begin(), digits.end(), out.begin() + ProfileHeaderSize);
    for (int column = 0; column < BlockTableColumns; ++column) {
        for (int row = 0; row < BlockTableRows; ++row) {
            const auto value = static_cast<std::uint16_t>(blocks[row][static_cast<std::size_t>(column)]);
            const std::size_t at = ValueOffset(row, column);
            out[at] = static_cast<std::uint8_t>(value & 0xFF);
            out[at + 1] = static_cast<std::uint8_t>(value >> 8);
        }
    }
    return out;
}

std::optional<BackupContent> DecodeBackup(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != BackupFileSize) return std::nullopt;
    BackupContent content;
    std::copy_n(bytes.begin(), ProfileHeaderSize, content.header.begin());
    std::copy_n(bytes.begin() + ProfileHeaderSize, SerialDigitsSize, content.digits.begin());
    for (int column = 0; column < BlockTableColumns; ++column) {
        for (int row = 0; row < BlockTableRows; ++row) {
            const std::size_t at = ValueOffset(row, column);
            const auto value = static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
            content.blocks[row][static_cast<std::size_t>(column)] = static_cast<std::int16_t>(value);
        }
    }
    return content;
}

std::uint8_t ByteSum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint8_t>(sum % 256);
}

std::string SerialText(std::int32_t serialNumber) {
    char serial[16];
    std::snprintf(serial, sizeof serial, "%06d", static_cast<int>(serialNumber));
    return serial;
}

std::string BackupFileName(int modelNumber, std::int32_t serialNumber) {
    return std::to_string(modelNumber) + "." + SerialText(serialNumber) + ".bin";
}

}  // namespace vor
