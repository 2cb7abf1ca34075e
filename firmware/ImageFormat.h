#pragma once
// Layout of the firmware image file: 131-byte records, record 1 the header, the
// others code blocks. All 16-bit values are stored high byte first.

#include <cstddef>
#include <cstdint>

#include "session/BlockTable.h"

namespace vor {

constexpr std::size_t ImageRecordBytes = 131;
constexpr std::size_t ImageLastByte = ImageRecordBytes - 1;  // 130

// Header offsets (after unscrambling bytes 0-7 with the key at 8-15).
constexpr std::size_t HeaderModelNumber = 0;
constexpr std::size_t HeaderImageVersion = 2;
constexpr std::size_t HeaderSection1Checksum = 4;
constexpr std::size_t HeaderMemorySize = 6;
constexpr std::size_t HeaderKeyOffset = 8;
constexpr std::size_t HeaderKeyBytes = 8;
constexpr std::size_t HeaderSection1BlockCount = 16;
constexpr std::size_t HeaderSection2Checksum = 18;
constexpr std::size_t HeaderSection2BlockCount = 20;
constexpr std::size_t HeaderSection2Argument = 22;
constexpr std::size_t HeaderImageRevision = 24;
constexpr std::size_t HeaderSectionSelector = 30;
constexpr std::size_t HeaderStrings = 32;

// Block records: address at 0-1, data at 2-129 (XOR the check byte), check byte at 130.
constexpr std::size_t BlockAddressOffset = 0;
constexpr std::size_t BlockDataOffset = 2;
constexpr std::size_t BlockCheckOffset = 130;

// The block tables hold at most this many blocks per section.
constexpr int ImageMaxBlocks = BlockTableRows;
// Only addresses below 0x8000 fit the table's signed 16-bit address column.
constexpr int ImageMaxBlockAddress = 0x7FFF;

}  // namespace vor
