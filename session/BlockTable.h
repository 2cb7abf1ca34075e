#pragma once
// The 1024 x 130 table shared by the code sections and the profile backup:
// column 0 an address value, columns 1..128 the data bytes, column 129 the check byte.

#include <array>
#include <cstdint>
#include <memory>

namespace vor {

constexpr int BlockTableRows = 1024;
constexpr int BlockTableColumns = 130;
constexpr int BlockDataBytes = 128;

using BlockRow = std::array<std::int16_t, BlockTableColumns>;

// Columns 1..129 of a row as the bytes a block write sends: the 128 data bytes, then
// the check byte.
inline std::array<std::uint8_t, BlockTableColumns - 1> RowBytes(const BlockRow& row) {
    std::array<std::uint8_t, BlockTableColumns - 1> bytes{};
    for (std::size_t k = 1; k < row.size(); ++k) bytes[k - 1] = static_cast<std::uint8_t>(row[k]);
    return bytes;
}

// Heap-held so the owner stays small; zero-filled on creation.
class BlockTable {
public:
    BlockTable() : rows_(std::make_unique<std::array<BlockRow, BlockTableRows>>()) {}
    BlockRow& operator[](int row) { return (*rows_)[static_cast<std::size_t>(row)]; }
    const BlockRow& operator[](int row) const { return (*rows_)[static_cast<std::size_t>(row)]; }
    void clear() { *rows_ = {}; }

private:
    std::unique_ptr<std::array<BlockRow, BlockTableRows>> rows_;
};

}  // namespace vor
