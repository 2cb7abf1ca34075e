#pragma once
// The one codec of the firmware image file: the loader decodes with it, vor-tool
// and the tests encode with it. Plain bytes in, plain values out; no file access.
// Texts are single-byte (ANSI) characters, one byte each, kept as they are.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "firmware/FirmwareImage.h"
#include "firmware/ImageFormat.h"

namespace vor {

using ImageRecord = std::array<std::uint8_t, ImageRecordBytes>;

// ---- decoding ----

// High byte first.
int ReadWord(const ImageRecord& record, std::size_t offset);

// Bytes 0-7 := bytes 0-7 XOR bytes 8-15; the key itself stays.
void UnscrambleHeader(ImageRecord& header);

// Decodes one stored string starting at `position`, key index from 8 wrapping 15 -> 8.
// On success `position` is left on the string's stored zero byte. Empty optional when
// no zero byte ends the string within the record (nothing is read past byte 130).
std::optional<std::string> DecodeHeaderString(const ImageRecord& header, std::size_t& position);

// Image kind from bytes 30-31, first match wins: 16-17 -> OnlySection1,
// 20-21 -> OnlySection2, otherwise BothSections.
ImageKind SelectImageKind(const ImageRecord& header);

// Fills `row` (address, 128 plain data bytes, check byte) and adds the check byte to
// `sectionSum`, kept to 16 bits. False, with `row` and the sum untouched, for an
// address of 0x8000 or more.
bool DecodeBlock(const ImageRecord& record, BlockRow& row, int& sectionSum);

// ---- encoding ----

struct ImageBlock {
    int address = 0;  // written as is, so 0x8000 and more can be produced on purpose
    std::array<std::uint8_t, BlockDataBytes> data{};
    std::uint8_t check = 0;
};

struct ImageContent {
    int ModelNumber = 0;
    std::string ImageVersion = "  ";  // exactly 2 characters
    int MemorySize = 512;
    std::uint8_t ImageRevision = 0;
    int Section2Argument = 0;
    std::string DeviceName;
    std::string ModelName;
    ImageKind Kind = ImageKind::BothSections;
    std::array<std::uint8_t, HeaderKeyBytes> HeaderKey{};
    std::vector<ImageBlock> Section1;  // ignored unless the kind holds section 1
    std::vector<ImageBlock> Section2;  // ignored unless the kind holds section 2

    // Overrides for building faulty images; the computed values otherwise.
    std::optional<int> StoredSection1Checksum;
    std::optional<int> StoredSection2Checksum;
    std::optional<int> SectionSelector;      // bytes 30-31
    std::optional<int> StoredSection1Count;  // bytes 16-17
    std::optional<int> StoredSection2Count;  // bytes 20-21
    bool UnterminatedDeviceName = false;     // DeviceName runs to byte 130 with no end
};

// The 16-bit sum of the check bytes: the stored section checksum.
int SectionChecksum(const std::vector<ImageBlock>& blocks);

// The whole file. Throws std::invalid_argument for content that cannot be stored:
// a version not 2 characters, a character equal to its key byte, strings that do not
// fit the header record, more than 1024 blocks in a section, values outside 16 bits.
std::vector<std::uint8_t> EncodeImage(const ImageContent& content);

}  // namespace vor
