#pragma once
// The DC's memory as the link sees it: lines of 16 bytes, blocks of 8 lines. Block 0
// carries the serial number (packed decimal, bytes 10..12) and the profile header in
// line 4 with the start and end pointers (bytes 72/73 and 74/75, low byte first).
// Pointers are line numbers for size class 1024 and byte addresses otherwise.

#include <array>
#include <cstdint>
#include <vector>

#include "tools/dcsim/DcConfig.h"

namespace vor::sim {

constexpr int LineBytes = 16;
constexpr int BlockLines = 8;
constexpr int BlockBytes = LineBytes * BlockLines;
constexpr int HeaderLine = 4;
constexpr int ProfileFirstLine = 256;
constexpr int SerialOffset = 10;
constexpr int StartPointerOffset = 72;
constexpr int EndPointerOffset = 74;

using Line = std::array<std::uint8_t, LineBytes>;

class DcMemory {
public:
    // A fresh memory of the configured size class, serial and profile.
    explicit DcMemory(const DcConfig& config);

    int memorySize() const { return memorySize_; }
    int lineCount() const { return memorySize_ * 8; }
    int profileLastLine() const { return memorySize_ * 8 - 33; }

    bool holdsBlock(int firstLine) const { return firstLine >= 0 && firstLine + BlockLines <= lineCount(); }
    bool holdsLine(int line) const { return line >= 0 && line < lineCount(); }

    Line line(int n) const;
    void writeLine(int n, const Line& bytes);
    // The 128 bytes of the block that begins at `firstLine` (caller checks holdsBlock).
    std::vector<std::uint8_t> block(int firstLine) const;
    void writeBlock(int firstLine, const std::uint8_t* bytes128);
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    // The used profile as the pointers give it, in line numbers.
    int startLine() const;
    int endLine() const;
    // Sets both pointers (line numbers) in the pointer form of the size class.
    void setPointers(int startLine, int endLine);

    // What an accepted code update does: profile area and header line become 0xFF.
    void eraseProfile();

private:
    int pointerToLine(int offset) const;
    void putPointer(int offset, int line);
    void seedProfile(const DcConfig& config);

    int memorySize_;
    std::vector<std::uint8_t> bytes_;
};

// Packed decimal of the last six digits: 12345 -> 01 23 45.
std::array<std::uint8_t, 3> PackSerial(std::uint32_t serial);

}  // namespace vor::sim
