#include "firmware/ImageCodec.h"

#include <stdexcept>

namespace vor {

namespace {

constexpr int WordMask = 0xFFFF;

void WriteWord(ImageRecord& record, std::size_t offset, int value, const char* what) {
    if (value < 0 || value > WordMask) throw std::invalid_argument(std::string(what) + " does not fit 16 bits");
    record[offset] = static_cast<std::uint8_t>(value >> 8);
    record[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

std::size_t NextKeyIndex(std::size_t k) {
    return k + 1 > HeaderKeyOffset + HeaderKeyBytes - 1 ? HeaderKeyOffset : k + 1;
}

// Writes one string and its stored zero; returns the position after the zero.
std::size_t EncodeHeaderString(ImageRecord& header, std::size_t position, const std::string& text, const char* what) {
    if (position + text.size() > ImageLastByte) {
        throw std::invalid_argument(std::string(what) + " does not fit the header record");
    }
    std::size_t k = HeaderKeyOffset;
    for (char c : text) {
        const auto plain = static_cast<std::uint8_t>(c);
        if (plain == header[k]) {
            throw std::invalid_argument(std::string(what) +
                                        " has a character equal to its key byte; choose another key");
        }
        header[position++] = static_cast<std::uint8_t>(plain ^ header[k]);
        k = NextKeyIndex(k);
    }
    header[position++] = 0;
    return position;
}

ImageRecord EncodeBlock(const ImageBlock& block) {
    ImageRecord record{};
    WriteWord(record, BlockAddressOffset, block.address, "block address");
    for (std::size_t j = 0; j < BlockDataBytes; ++j) {
        record[BlockDataOffset + j] = static_cast<std::uint8_t>(block.data[j] ^ block.check);
    }
    record[BlockCheckOffset] = block.check;
    return record;
}

bool SamePair(const ImageRecord& header, std::size_t a, std::size_t b) {
    return header[a] == header[b] && header[a + 1] == header[b + 1];
}

// A selector that matches neither count pair, so the image reads as BothSections.
int SelectorMatchingNeither(int count1, int count2) {
    int selector = WordMask;
    while (selector == count1 || selector == count2) --selector;
    return selector;
}

}  // namespace

int ReadWord(const ImageRecord& record, std::size_t offset) { return record[offset] * 256 + record[offset + 1]; }

void UnscrambleHeader(ImageRecord& header) {
    for (std::size_t i = 0; i < HeaderKeyBytes; ++i) header[i] ^= header[i + HeaderKeyOffset];
}

std::optional<std::string> DecodeHeaderString(const ImageRecord& header, std::size_t& position) {
    std::string text;
    std::size_t k = HeaderKeyOffset;
    while (position <= ImageLastByte && header[position] != 0) {
        text += static_cast<char>(header[position] ^ header[k]);
        k = NextKeyIndex(k);
        ++position;
    }
    if (position > ImageLastByte) return std::nullopt;
    return text;
}

ImageKind SelectImageKind(const ImageRecord& header) {
    if (SamePair(header, HeaderSectionSelector, HeaderSection1BlockCount)) return ImageKind::OnlySection1;
    if (SamePair(header, HeaderSectionSelector, HeaderSection2BlockCount)) return ImageKind::OnlySection2;
    return ImageKind::BothSections;
}

bool DecodeBlock(const ImageRecord& record, BlockRow& row, int& sectionSum) {
    const int address = ReadWord(record, BlockAddressOffset);
    if (address > ImageMaxBlockAddress) return false;
    const std::uint8_t check = record[BlockCheckOffset];
    row[0] = static_cast<std::int16_t>(address);
    for (std::size_t j = 0; j < BlockDataBytes; ++j) {
        row[j + 1] = static_cast<std::int16_t>(record[BlockDataOffset + j] ^ check);
    }
    row[BlockTableColumns - 1] = check;
    sectionSum = (sectionSum + check) & WordMask;
    return true;
}

int SectionChecksum(const std::vector<ImageBlock>& blocks) {
    int sum = 0;
    for (const ImageBlock& b : blocks) sum = (sum + b.check) & WordMask;
    return sum;
}

std::vector<std::uint8_t> EncodeImage(const ImageContent& content) {
    const bool hasSection1 = content.Kind != ImageKind::OnlySection2;
    const bool hasSection2 = content.Kind != ImageKind::OnlySection1;
    if (content.Kind == ImageKind::None) throw std::invalid_argument("image kind not set");
    if (content.ImageVersion.size() != 2) throw std::invalid_argument("version must be 2 characters");
    static const std::vector<ImageBlock> none;
    const std::vector<ImageBlock>& s1 = hasSection1 ? content.Section1 : none;
    const std::vector<ImageBlock>& s2 = hasSection2 ? content.Section2 : none;
    if (s1.size() > ImageMaxBlocks || s2.size() > ImageMaxBlocks) {
        throw std::invalid_argument("a section holds at most 1024 blocks");
    }

    const int count1 = content.StoredSection1Count.value_or(static_cast<int>(s1.size()));
    const int count2 = content.StoredSection2Count.value_or(static_cast<int>(s2.size()));
    int selector = 0;
    switch (content.Kind) {
    case ImageKind::OnlySection1: selector = count1; break;
    case ImageKind::OnlySection2: selector = count2; break;
    default: selector = SelectorMatchingNeither(count1, count2); break;
    }
    selector = content.SectionSelector.value_or(selector);
    // Section 1's count is not read from an OnlySection2 image, but it must not equal
    // the selector or the image would read as OnlySection1.
    int storedCount1 = count1;
    if (content.Kind == ImageKind::OnlySection2 && !content.StoredSection1Count && storedCount1 == selector) {
        storedCount1 = SelectorMatchingNeither(selector, selector);
    }

    ImageRecord header{};
    for (std::size_t i = 0; i < HeaderKeyBytes; ++i) header[HeaderKeyOffset + i] = content.HeaderKey[i];
    WriteWord(header, HeaderModelNumber, content.ModelNumber, "model number");
    header[HeaderImageVersion] = static_cast<std::uint8_t>(content.ImageVersion[0]);
    header[HeaderImageVersion + 1] = static_cast<std::uint8_t>(content.ImageVersion[1]);
    WriteWord(header, HeaderSection1Checksum, content.StoredSection1Checksum.value_or(SectionChecksum(s1)),
              "section 1 checksum");
    WriteWord(header, HeaderMemorySize, content.MemorySize, "memory size");
    for (std::size_t i = 0; i < HeaderKeyBytes; ++i) header[i] ^= header[i + HeaderKeyOffset];
    WriteWord(header, HeaderSection1BlockCount, storedCount1, "section 1 count");
    WriteWord(header, HeaderSection2Checksum, content.StoredSection2Checksum.value_or(SectionChecksum(s2)),
              "section 2 checksum");
    WriteWord(header, HeaderSection2BlockCount, count2, "section 2 count");
    WriteWord(header, HeaderSection2Argument, content.Section2Argument, "section 2 argument");
    header[HeaderImageRevision] = content.ImageRevision;
    WriteWord(header, HeaderSectionSelector, selector, "section selector");

    if (content.UnterminatedDeviceName) {
        std::size_t p = EncodeHeaderString(header, HeaderStrings, content.DeviceName, "device name");
        // Replace the end with stored non-zero bytes up to the record's last byte.
        for (--p; p <= ImageLastByte; ++p) header[p] = 0x55;
    } else {
        const std::size_t p = EncodeHeaderString(header, HeaderStrings, content.DeviceName, "device name");
        EncodeHeaderString(header, p, content.ModelName, "model name");
    }

    std::vector<std::uint8_t> file(header.begin(), header.end());
    auto append = [&file](const ImageRecord& r) { file.insert(file.end(), r.begin(), r.end()); };
    for (const ImageBlock& b : s1) append(EncodeBlock(b));
    if (content.Kind == ImageKind::BothSections) append(ImageRecord{});  // the record between the sections
    for (const ImageBlock& b : s2) append(EncodeBlock(b));
    return file;
}

}  // namespace vor
